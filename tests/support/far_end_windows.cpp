#include "far_end.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <sstream>
#include <stdexcept>

namespace tervalink::test {
namespace {

// The ports wine_far_ends made for this process: "<folder>;n1,n2,...". A port is lent to one
// far end at a time, the one given back longest ago first; an unplugged one is never lent again.
struct Pool {
    std::string folder;
    std::deque<int> free;
    std::mutex mutex;

    Pool()
    {
        const char* given = std::getenv("TERVALINK_FAR_ENDS");
        if (given == nullptr)
            throw std::runtime_error("no far ends: run the Windows tests through scripts/wine-test, "
                                     "which maps COM ports onto pseudo-terminals");
        std::istringstream text(given);
        std::getline(text, folder, ';');
        for (int number = 0; text >> number; text.ignore())
            free.push_back(number);
    }

    int borrow()
    {
        const std::lock_guard lock(mutex);
        if (free.empty())
            throw std::runtime_error("every far end wine_far_ends made is taken");
        const int number = free.front();
        free.pop_front();
        return number;
    }

    void give_back(int number)
    {
        const std::lock_guard lock(mutex);
        free.push_back(number);
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

void FarEnd::resume_reading() { ask(link_->base, "resume"); }

// The arrival times are the Linux side's: gaps between them are what the line carried. ReadFile
// sets `count` to 0 before anything else, so a failed read adds nothing.
void FarEnd::read_until_stopped()
{
    std::vector<unsigned char> pending;
    while (!stopping_) {
        unsigned char chunk[4096];
        DWORD count = 0;
        ::ReadFile(link_->records, chunk, sizeof chunk, &count, nullptr);
        pending.insert(pending.end(), chunk, chunk + count);
        while (pending.size() >= 12) {
            std::uint64_t at = 0;
            std::uint32_t size = 0;
            std::memcpy(&at, pending.data(), 8);
            std::memcpy(&size, pending.data() + 8, 4);
            if (pending.size() < 12 + size)
                break;
            const auto end = pending.begin() + 12 + std::ptrdiff_t(size);
            record({pending.begin() + 12, end}, Clock::time_point(std::chrono::nanoseconds(at)));
            pending.erase(pending.begin(), end);
        }
        if (count == 0)
            ::Sleep(1);
    }
}

} // namespace tervalink::test
