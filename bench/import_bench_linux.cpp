// Measures the data file import on a large generated file beside `wc -l` on the same file, and
// the memory an import needs for a file of one enormous line.
//
//   import_bench [size in MiB, default 256] [file path, default /tmp/tervalink_import_bench.csv]
//
// Each import runs in a child process, so its time and peak RSS are its own and generating the
// file counts for neither. Both files are removed at the end.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "data_file.h"
#include "satellite_table.h"

namespace {

constexpr std::size_t mib = 1024 * 1024;

struct ChildRun {
    double seconds = 0;
    long peak_rss_kib = 0;
    int exit_code = -1;
};

[[noreturn]] void die(const std::string& what)
{
    std::fprintf(stderr, "import_bench: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(2);
}

// Writes whole buffers of generated text; a short write is retried until done.
class FileWriter {
public:
    explicit FileWriter(const std::string& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)), path_(path)
    {
        if (fd_ < 0)
            die("cannot create " + path);
        buffer_.reserve(mib + 256);
    }
    ~FileWriter()
    {
        flush();
        ::close(fd_);
    }
    void append(const std::string& text)
    {
        buffer_ += text;
        written_ += text.size();
        if (buffer_.size() >= mib)
            flush();
    }
    std::size_t written() const { return written_; }

private:
    void flush()
    {
        for (std::size_t at = 0; at < buffer_.size();) {
            const ssize_t n = ::write(fd_, buffer_.data() + at, buffer_.size() - at);
            if (n < 0)
                die("cannot write " + path_);
            at += static_cast<std::size_t>(n);
        }
        buffer_.clear();
    }
    int fd_;
    std::string path_;
    std::string buffer_;
    std::size_t written_ = 0;
};

std::size_t generate_table_file(const std::string& path, std::size_t bytes)
{
    FileWriter out(path);
    for (int n = 1; n <= 39; ++n)
        out.append("S" + std::to_string((n - 1) % 13) + "," + std::to_string(100 + n) + "," +
                   std::to_string(n) + ",11" + std::to_string(100 + n) + ",27500," +
                   std::to_string(n % 2) + "\r\n");
    std::size_t lines = 39;
    for (unsigned value = 1000; out.written() < bytes; ++lines) {
        std::string line;
        for (int k = 0; k < 10; ++k, value = value * 7 % 31991 + 1)
            line += (k ? "," : "") + std::to_string(value);
        out.append(line + "\n");
    }
    return lines;
}

// One line of bytes that are neither comma nor line break, so the line can never be complete.
void generate_one_line_file(const std::string& path, std::size_t bytes)
{
    FileWriter out(path);
    std::string block(64 * 1024, '\0');
    unsigned state = 12345;
    for (char& c : block) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
        if (c == ',' || c == '\r' || c == '\n')
            c = 'x';
    }
    while (out.written() < bytes)
        out.append(block);
}

// Reads the file once so that both contestants find it in the page cache.
void warm_up(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        die("cannot open " + path);
    std::string buffer(mib, '\0');
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
}

template <typename Child>
ChildRun run_child(Child child)
{
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0)
        die("fork");
    if (pid == 0)
        child();
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        die("wait4");
    ChildRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peak_rss_kib = usage.ru_maxrss;
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

ChildRun time_wc(const std::string& path)
{
    return run_child([&] {
        const int null_fd = ::open("/dev/null", O_WRONLY);
        ::dup2(null_fd, STDOUT_FILENO);
        ::execlp("wc", "wc", "-l", path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    });
}

int import_runs = 0; // counted in the parent: only the first child reports what it imported

ChildRun time_import(const std::string& path)
{
    const bool report = import_runs++ == 0;
    return run_child([&] {
        tervalink::DataFileReader reader;
        tervalink::SatelliteTable table;
        if (const auto imported = tervalink::import_data_file(path, reader, table); !imported) {
            std::printf("  import failed: %s\n", imported.failure().c_str());
            std::fflush(stdout);
            _exit(1);
        }
        if (report) {
            std::printf("  imported: %d TP lines, auto rate 0 = \"%s\"\n",
                        reader.buffers().file_line_count, table.auto_rate(0).c_str());
            std::fflush(stdout);
        }
        _exit(0);
    });
}

// The best of three runs: the page cache and the scheduler only ever add time.
template <typename Timer>
ChildRun best_of_three(Timer timer, const std::string& path)
{
    ChildRun best = timer(path);
    for (int i = 0; i < 2; ++i) {
        const ChildRun run = timer(path);
        if (run.seconds < best.seconds)
            best = run;
    }
    return best;
}

long own_peak_rss_kib()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void print_run(const char* what, const ChildRun& run, double mebibytes)
{
    std::printf("  %-8s %8.3f s  %8.1f MiB/s  peak RSS %6.1f MiB  exit %d\n", what, run.seconds,
                mebibytes / run.seconds, static_cast<double>(run.peak_rss_kib) / 1024.0,
                run.exit_code);
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t size_mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
    const std::string path = argc > 2 ? argv[2] : "/tmp/tervalink_import_bench.csv";
    if (size_mib == 0) {
        std::fprintf(stderr, "usage: import_bench [size in MiB] [file path]\n");
        return 2;
    }
    const double mebibytes = static_cast<double>(size_mib);

    std::printf("Table file: %s, %zu MiB, %zu lines (39 TP lines, then auto lines)\n", path.c_str(),
                size_mib, generate_table_file(path, size_mib * mib));
    warm_up(path);
    std::printf("  bench process before forking: peak RSS %.1f MiB (shared into each child)\n",
                static_cast<double>(own_peak_rss_kib()) / 1024.0);
    const ChildRun wc = best_of_three(time_wc, path);
    const ChildRun import = best_of_three(time_import, path);
    print_run("wc -l", wc, mebibytes);
    print_run("import", import, mebibytes);
    std::printf("  import takes %.2f times as long as wc -l (best of 3 each)\n",
                import.seconds / wc.seconds);
    ::unlink(path.c_str());

    const std::string one_line = path + ".oneline";
    generate_one_line_file(one_line, size_mib * mib);
    std::printf("One-line file: %s, %zu MiB without comma or line break\n", one_line.c_str(),
                size_mib);
    warm_up(one_line);
    const ChildRun huge = time_import(one_line);
    print_run("import", huge, mebibytes);
    ::unlink(one_line.c_str());

    return import.exit_code == 0 && huge.exit_code == 1 ? 0 : 1;
}
