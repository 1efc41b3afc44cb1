#pragma once
// What the stand-in's tests share: files, the lines of an output, and the
// stand-in run as a process in an itshfbc tree.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace tw::itshf::test {

namespace fs = std::filesystem;

inline std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The line `n` lines after the first line that holds `key` (n = 0: that line).
inline std::string LineAfter(const std::string& text, const std::string& key, int n = 0) {
    std::size_t start = text.rfind('\n', text.find(key)) + 1;
    for (int i = 0; i < n; ++i) start = text.find('\n', start) + 1;
    return text.substr(start, text.find('\n', start) - start);
}

// An itshfbc tree in a new temporary folder: bin_win for the programs, RUN for
// the deck and the output.
class ItshfbcTree : public ::testing::Test {
protected:
    void SetUp() override {
        std::string folder = (fs::temp_directory_path() / "itshf-test-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(folder.data()));
        m_tmp = folder;
        m_root = m_tmp / "drive_c" / "itshfbc";
        fs::create_directories(m_root / "bin_win");
        fs::create_directories(m_root / "RUN");
        WriteText(m_tmp / "input", "typed by nobody\n");
    }
    void TearDown() override { fs::remove_all(m_tmp); }

    // Installs the stand-in as `name` in bin_win and runs it as Tidewell does,
    // with its own model and the test switches cleared unless `env` sets them,
    // and something on its standard input.  The exit code, or 128 + the signal
    // that ended it.
    int Run(const std::string& name, std::map<std::string, std::string> env = {},
            const std::vector<std::string>& args = {"c:\\itshfbc", "sound.dat", "sound.out"}) {
        const fs::path program = m_root / "bin_win" / name;
        fs::copy_file(ITSHF_STANDIN_EXE, program, fs::copy_options::overwrite_existing);
        env.merge(std::map<std::string, std::string>{{"ITSHF_STANDIN_FAIL", ""},
                                                     {"ITSHF_STANDIN_LOG", ""},
                                                     {"ITSHF_STANDIN_SLEEP_MS", ""},
                                                     {"ITSHF_STANDIN_CIRCUIT_MS", ""}});
        std::string command = "exec <'" + (m_tmp / "input").string() + "'; ";
        for (const auto& [k, v] : env) {
            command += v.empty() ? "unset " + k + "; " : "export " + k + "='" + v + "'; ";
        }
        // The shell gives way to the program: no shell in between.
        command += "exec '" + program.string() + "'";
        for (const std::string& a : args) command += " '" + a + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    fs::path Deck() const { return m_root / "RUN" / "sound.dat"; }
    fs::path Output() const { return m_root / "RUN" / "sound.out"; }

    fs::path m_tmp;
    fs::path m_root;
};

}  // namespace tw::itshf::test
