// The hand-over to voacapl, tested with a fake voacapl first on the PATH.

#include "SampleDecks.h"
#include "Support.h"
#include "Voacapl.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tw::itshf {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::WriteText;

TEST(Voacapl, DeckGetsForwardSlashLowerCaseAntennaNamesAndNothingElseChanges) {
    const std::string deck = IcepacVoacapDeck({});
    const std::string out = VoacaplDeck(deck);
    // Only the names change; every other byte, the line ends included, stays.
    std::string expected = deck;
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"DEFAULT\\CONST17.VOA", "default/const17.voa"},
                                   {"DEFAULT\\SWWHIP.VOA", "default/swwhip.voa"}}) {
        expected.replace(expected.find(from), from.size(), to);
    }
    EXPECT_EQ(out, expected);
    EXPECT_NE(out.find("     0.000[default/const17.voa  ]  0.0    0.1000\r\n"), std::string::npos);
    EXPECT_EQ(VoacaplDeck("LABEL [A\\B]\nANTENNA [C\\D]\n"), "LABEL [A\\B]\nANTENNA [c/d]\n");
}

TEST(Voacapl, FindOnPathTakesTheFirstExecutable) {
    test::TempDir tmp;
    const fs::path a = tmp.path() / "a", b = tmp.path() / "b", c = tmp.path() / "c";
    for (const fs::path& d : {a, b, c}) fs::create_directories(d);
    WriteText(a / "voacapl", "#!/bin/sh\n");  // not executable
    WriteText(b / "voacapl", "#!/bin/sh\n");
    WriteText(c / "voacapl", "#!/bin/sh\n");
    chmod((b / "voacapl").c_str(), 0755);
    chmod((c / "voacapl").c_str(), 0755);
    EXPECT_EQ(FindOnPath("voacapl", a.string() + ":" + b.string() + ":" + c.string()), b / "voacapl");
    EXPECT_EQ(FindOnPath("voacapl", a.string()), std::nullopt);
    EXPECT_EQ(FindOnPath("voacapl", ""), std::nullopt);
}

// A fake voacapl: records its arguments, what it could read from standard
// input and the deck it was given; writes an output with END OF RUN when
// FAKE_VOACAPL_END=1, a partial one when 0, none otherwise.
const char* const kFakeVoacapl = R"(#!/bin/sh
rec="$FAKE_VOACAPL_RECORD"
for a in "$@"; do printf '%s\n' "$a"; done > "$rec.args"
if IFS= read -r line; then printf '%s\n' "$line" > "$rec.stdin"; else : > "$rec.stdin"; fi
rundir=${2#--run-dir=}
cp "$rundir/$4" "$rec.deck"
case "$FAKE_VOACAPL_END" in
  1) printf ' *****END OF RUN*****     VOACAP 16.1207W\n' > "$rundir/$5" ;;
  0) printf ' METHOD 20 partial\n' > "$rundir/$5" ;;
esac
exit 0
)";

class VoacaplProcess : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_root / "bin_win");
        fs::create_directories(m_root / "RUN");
        fs::create_directories(m_fakeBin);
        WriteText(m_fakeBin / "voacapl", kFakeVoacapl);
        chmod((m_fakeBin / "voacapl").c_str(), 0755);
        for (const char* name : {"voacapw.exe", "icepacw.exe"}) {
            fs::copy_file(ITSHF_STANDIN_EXE, m_root / "bin_win" / name);
        }
        WriteText(m_root / "RUN" / "sound.dat", IcepacVoacapDeck({}));
    }

    test::ProcessEnd Run(const char* program, std::map<std::string, std::string> env) {
        env.try_emplace("PATH", m_fakeBin.string() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : ""));
        env.try_emplace("FAKE_VOACAPL_RECORD", m_record.string());
        env.try_emplace("ITSHF_STANDIN_NO_VOACAPL", "");
        env.try_emplace("ITSHF_STANDIN_FAIL", "");
        // Something on standard input that voacapl must not see.
        return test::RunProcess(m_root / "bin_win" / program, {"c:\\itshfbc", "sound.dat", "sound.out"}, env,
                                "typed by nobody\n");
    }

    std::vector<std::string> RecordedArguments() const {
        std::vector<std::string> args;
        std::istringstream in(ReadText(fs::path(m_record.string() + ".args")));
        for (std::string line; std::getline(in, line);) args.push_back(line);
        return args;
    }

    test::TempDir m_tmp;
    fs::path m_root = m_tmp.path() / "drive_c" / "itshfbc";
    fs::path m_fakeBin = m_tmp.path() / "fakebin";
    fs::path m_record = m_tmp.path() / "record";
};

TEST_F(VoacaplProcess, VoacapwHandsTheRunToVoacaplWithItsRootTheRunFolderAndNoInput) {
    const test::ProcessEnd end = Run("voacapw.exe", {{"VOACAPL_ITSHFBC", "/opt/itshfbc"}, {"FAKE_VOACAPL_END", "1"}});
    ASSERT_TRUE(end.exited);
    EXPECT_EQ(end.code, 0);
    EXPECT_EQ(RecordedArguments(), (std::vector<std::string>{"-s", "--run-dir=" + (m_root / "RUN").string(),
                                                             "/opt/itshfbc", "sound.dat", "sound.out"}));
    EXPECT_EQ(ReadText(fs::path(m_record.string() + ".stdin")), "");
    const std::string deck = ReadText(fs::path(m_record.string() + ".deck"));
    EXPECT_NE(deck.find("[default/const17.voa  ]"), std::string::npos);
    EXPECT_NE(deck.find("[default/swwhip.voa   ]"), std::string::npos);
    EXPECT_EQ(deck.find('\\'), std::string::npos);
    // The output is voacapl's own.
    EXPECT_NE(ReadText(m_root / "RUN" / "sound.out").find("VOACAP 16.1207W"), std::string::npos);
}

TEST_F(VoacaplProcess, TheRootDefaultsToItshfbcInTheHomeFolder) {
    const test::ProcessEnd end = Run("voacapw.exe", {{"VOACAPL_ITSHFBC", ""}, {"HOME", "/home/sailor"},
                                                     {"FAKE_VOACAPL_END", "1"}});
    EXPECT_TRUE(end.exited && end.code == 0);
    ASSERT_EQ(RecordedArguments().size(), 5u);
    EXPECT_EQ(RecordedArguments()[2], "/home/sailor/itshfbc");
}

TEST_F(VoacaplProcess, ARunWithoutEndOfRunFailsEvenWhenAnOldOutputHadIt) {
    for (const char* mode : {"0", "none"}) {
        WriteText(m_root / "RUN" / "sound.out", " *****END OF RUN*****\n");
        const test::ProcessEnd end = Run("voacapw.exe", {{"FAKE_VOACAPL_END", mode}});
        EXPECT_TRUE(end.exited) << mode;
        EXPECT_EQ(end.code, 1) << mode;
    }
}

TEST_F(VoacaplProcess, IcepacAndTheSwitchKeepTheOwnModel) {
    EXPECT_EQ(Run("icepacw.exe", {{"FAKE_VOACAPL_END", "1"}}).code, 0);
    EXPECT_EQ(Run("voacapw.exe", {{"FAKE_VOACAPL_END", "1"}, {"ITSHF_STANDIN_NO_VOACAPL", "1"}}).code, 0);
    EXPECT_FALSE(fs::exists(m_record.string() + ".args"));
    EXPECT_NE(ReadText(m_root / "RUN" / "sound.out").find("VOACAP   STAND-IN"), std::string::npos);
}

}  // namespace
}  // namespace tw::itshf
