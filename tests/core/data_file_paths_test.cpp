// import_data_file on paths the system refuses: files, so not where the core runs without a file
// system library (the WebAssembly build).
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "data_file.h"
#include "data_file_lines.h"
#include "path_refusals.h"
#include "result_failure.h"
#include "satellite_table.h"

namespace tervalink::test {
namespace {

namespace fs = std::filesystem;

// import_data_file names the path in its failures and leaves the table alone when the file cannot
// be opened or read; what the buffers hold tells how far it got.
TEST(DataFileImport, PathsThatCannotBeReadFailWithTheReasonAndLeaveTheTableAlone)
{
    const auto folder = (fs::temp_directory_path() / ("tervalink-import-" + std::to_string(::getpid()))).string();
    fs::create_directories(folder);
    const auto plain = folder + "/plain.csv";
    std::ofstream(plain) << join(file_lines(3), "\n");
    DataFileReader reader;
    SatelliteTable table;
    ASSERT_EQ(failure_of(import_data_file(plain, reader, table)), "");
    const SatelliteTable before = table;
    const auto check = [&](const std::string& path, const std::string& message, int line_count) {
        EXPECT_EQ(failure_of(import_data_file(path, reader, table)), message);
        EXPECT_EQ(reader.buffers().file_line_count, line_count) << path;
        EXPECT_TRUE(table == before) << path;
    };
    const auto missing = folder + "/missing.csv";
    check(missing, "Cannot open " + missing + ": no such file; check the name and the folder", 3);
    check(folder, "Cannot open " + folder + ": it is a directory, not a data file", 3);
    check_system_refusals(folder, plain, check);
    fs::remove_all(folder);
}

} // namespace
} // namespace tervalink::test
