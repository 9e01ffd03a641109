#include "far_end.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace tervalink::test {
namespace {

// The ports wine_far_ends made for this process: "<folder>;n1,n2,...". A port is lent to one
// far end at a time; an unplugged one is never lent again.
struct Pool {
    std::string folder;
    std::vector<int> numbers;
    std::vector<bool> lent;
    std::mutex mutex;

    Pool()
    {
        const char* given = std::getenv("TERVALINK_FAR_ENDS");
        if (given == nullptr)
            throw std::runtime_error("no far ends: run the Windows tests through scripts/wine-test, "
                                     "which maps COM ports onto pseudo-terminals");
        const std::string text = given;
        folder = text.substr(0, text.find(';'));
        for (std::size_t at = text.find(';') + 1; at < text.size();) {
            const std::size_t end = std::min(text.find(',', at), text.size());
            numbers.push_back(std::stoi(text.substr(at, end - at)));
            at = end + 1;
        }
        lent.assign(numbers.size(), false);
    }

    int borrow()
    {
        const std::lock_guard lock(mutex);
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            if (!lent[i]) {
                lent[i] = true;
                return numbers[i];
            }
        }
        throw std::runtime_error("every far end wine_far_ends made is taken");
    }

    void give_back(int number)
    {
        const std::lock_guard lock(mutex);
        for (std::size_t i = 0; i < numbers.size(); ++i)
            if (numbers[i] == number)
                lent[i] = false;
    }
};

Pool& pool()
{
    static Pool made;
    return made;
}

bool exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Asks wine_far_ends to act on the port whose files start with `base`, and waits until it has.
void ask(const std::string& base, const std::string& request)
{
    const std::string asked = base + "." + request;
    std::fclose(std::fopen(asked.c_str(), "wb"));
    for (int waited = 0; waited < 5000 && !exists(asked + ".done"); ++waited)
        ::Sleep(1);
    ::DeleteFileA((asked + ".done").c_str());
}

std::uint64_t little_endian(const unsigned char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

} // namespace

// The record file of one port, read from where it stood when the far end was made. Win32 reads
// at the end of a growing file simply return nothing until more is written.
struct FarEnd::Link {
    int number = pool().borrow();
    std::string base = pool().folder + "/COM" + std::to_string(number);
    HANDLE records = ::CreateFileA((base + ".far").c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool unplugged = false;

    Link()
    {
        if (records == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot read " + base + ".far");
        ::SetFilePointer(records, 0, nullptr, FILE_END);
    }
    ~Link()
    {
        ::CloseHandle(records);
        if (!unplugged)
            pool().give_back(number);
    }
};

FarEnd::FarEnd() : link_(std::make_unique<Link>())
{
    device_path_ = "\\\\.\\COM" + std::to_string(link_->number);
    port_number_ = static_cast<std::int16_t>(link_->number);
    reader_ = std::thread([this] { read_until_stopped(); });
}

FarEnd::~FarEnd()
{
    stopping_ = true;
    reader_.join();
}

std::string FarEnd::port_label() const
{
    return port_text();
}

// The far ends take numbers 20 to 250; 251 is mapped onto nothing.
std::string FarEnd::unmapped_port_failure() const
{
    return "Cannot open COM 251: no such port";
}

void FarEnd::unplug()
{
    link_->unplugged = true;
    ask(link_->base, "unplug");
}

void FarEnd::stop_reading() { ask(link_->base, "stop"); }

bool FarEnd::fill_line()
{
    ask(link_->base, "fill");
    return true;
}

void FarEnd::resume_reading() { ask(link_->base, "resume"); }

// The arrival times are the Linux side's: gaps between them are what the line carried.
void FarEnd::read_until_stopped()
{
    std::vector<unsigned char> pending;
    while (!stopping_) {
        unsigned char chunk[4096];
        DWORD count = 0;
        if (!::ReadFile(link_->records, chunk, sizeof chunk, &count, nullptr))
            count = 0;
        pending.insert(pending.end(), chunk, chunk + count);
        while (pending.size() >= 12) {
            const std::size_t size = little_endian(pending.data() + 8, 4);
            if (pending.size() < 12 + size)
                break;
            const Clock::time_point arrived(
                std::chrono::nanoseconds(little_endian(pending.data(), 8)));
            record({pending.begin() + 12, pending.begin() + 12 + std::ptrdiff_t(size)}, arrived);
            pending.erase(pending.begin(), pending.begin() + 12 + std::ptrdiff_t(size));
        }
        if (count == 0)
            ::Sleep(1);
    }
}

} // namespace tervalink::test
