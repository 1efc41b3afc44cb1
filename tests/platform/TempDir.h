#pragma once
// A temporary folder for one test, removed with everything in it.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tw::platform::test {

class TempDir {
public:
    // A new folder of a random name in the system's temporary folder ("" when
    // none could be made).  Its path uses "/" also on Windows, which accepts
    // both separators.
    TempDir() {
        std::error_code ec;
        std::string base = std::filesystem::temp_directory_path(ec).generic_string();
        while (!base.empty() && base.back() == '/') base.pop_back();
        std::random_device device;
        std::mt19937 random(device());
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const std::string path = base + "/tw-platform-" + std::to_string(random() % 1000000000u);
            if (std::filesystem::create_directory(path, ec)) m_path = path;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Paths in UTF-8, as the program's are.
// The path of a program built beside this test program (a helper the tests
// start: tw-child, tw-rival, tw-locker).
inline std::string ProgramBesideTests(const std::string& name) {
#ifdef _WIN32
    char self[MAX_PATH] = {};
    const std::string test(self, ::GetModuleFileNameA(nullptr, self, MAX_PATH));
#else
    const std::string test = std::filesystem::read_symlink("/proc/self/exe").string();
#endif
    return test.substr(0, test.find_last_of("\\/") + 1) + name;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(std::filesystem::u8path(path), std::ios::binary) << bytes;
}

}  // namespace tw::platform::test
