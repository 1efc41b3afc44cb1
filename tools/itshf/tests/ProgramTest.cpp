// The stand-in as Tidewell meets it: a process started by its full path with
// the programs' command line, in an itshfbc tree.

#include "SampleDecks.h"
#include "Standin.h"
#include "Support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sstream>

namespace tw::itshf {
namespace {

namespace fs = std::filesystem;
using test::ProcessEnd;
using test::ReadText;
using test::WriteText;

class StandinProcess : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_binWin);
        fs::create_directories(m_root / "RUN");
    }

    fs::path Install(const std::string& name) {
        fs::copy_file(ITSHF_STANDIN_EXE, m_binWin / name, fs::copy_options::overwrite_existing);
        return m_binWin / name;
    }

    // Runs an installed program as Tidewell does, with the test switches
    // cleared unless `env` sets them.
    ProcessEnd Run(const std::string& name, std::map<std::string, std::string> env = {},
                   std::vector<std::string> args = {"c:\\itshfbc", "sound.dat", "sound.out"}) {
        for (const char* k :
             {"ITSHF_STANDIN_FAIL", "ITSHF_STANDIN_LOG", "ITSHF_STANDIN_NO_VOACAPL", "ITSHF_STANDIN_SLEEP_MS"}) {
            env.try_emplace(k, "");
        }
        if (env["ITSHF_STANDIN_NO_VOACAPL"].empty()) env["ITSHF_STANDIN_NO_VOACAPL"] = "1";
        return test::RunProcess(m_binWin / name, args, env);
    }

    fs::path Deck() const { return m_root / "RUN" / "sound.dat"; }
    fs::path Output() const { return m_root / "RUN" / "sound.out"; }

    test::TempDir m_tmp;
    fs::path m_root = m_tmp.path() / "drive_c" / "itshfbc";
    fs::path m_binWin = m_root / "bin_win";
};

TEST_F(StandinProcess, TheFileNameChoosesTheModelAndAWindowsRootMapsToTheTreeAboveBinWin) {
    for (const auto& [file, title] : {std::pair{"voacapw.exe", "VOACAP"}, std::pair{"VoacapW.EXE", "VOACAP"},
                                      std::pair{"icepacw.exe", "ICEPAC"}, std::pair{"ICEPACW", "ICEPAC"},
                                      std::pair{"rec533w.exe", "REC533"}}) {
        SCOPED_TRACE(file);
        const bool rec533 = std::string(title) == "REC533";
        Install(file);
        WriteText(Deck(), rec533 ? Rec533Deck({}) : IcepacVoacapDeck({}));
        const ProcessEnd end = Run(file);
        EXPECT_TRUE(end.exited && end.code == 0);
        const std::string out = ReadText(Output());
        EXPECT_NE(out.find(std::string(title) + "   STAND-IN"), std::string::npos);
        EXPECT_NE(out.find(" *****END OF RUN*****"), std::string::npos);
        EXPECT_TRUE(test::AllNumbers(rec533 ? test::ReadRec533(out, 2, DeckParams{}.frequenciesKhz)
                                            : test::ReadIcepacVoacap(out, 2, 10)));
    }
}

TEST_F(StandinProcess, AnExistingRootIsUsedAsGivenAndTheRunFolderIsFoundInAnyCase) {
    Install("voacapw.exe");
    const fs::path other = m_tmp.path() / "elsewhere";
    fs::create_directories(other / "run");
    WriteText(other / "run" / "sound.dat", IcepacVoacapDeck({}));
    const ProcessEnd end = Run("voacapw.exe", {}, {other.string(), "sound.dat", "sound.out"});
    EXPECT_TRUE(end.exited && end.code == 0);
    EXPECT_NE(ReadText(other / "run" / "sound.out").find("END OF RUN"), std::string::npos);
    EXPECT_FALSE(fs::exists(Output()));
}

TEST_F(StandinProcess, AnUnknownNameOrCommandLineIsRefused) {
    Install("itshf-standin");
    Install("voacapw.exe");
    WriteText(Deck(), IcepacVoacapDeck({}));
    const ProcessEnd unknown = Run("itshf-standin");
    EXPECT_TRUE(unknown.exited && unknown.code == 2);
    const ProcessEnd shortLine = Run("voacapw.exe", {}, {"c:\\itshfbc", "sound.dat"});
    EXPECT_TRUE(shortLine.exited && shortLine.code == 2);
    EXPECT_FALSE(fs::exists(Output()));
}

TEST_F(StandinProcess, AMissingDeckStillEndsWithCodeZeroButWithoutTheTables) {
    Install("voacapw.exe");
    WriteText(Output(), " *****END OF RUN*****\n");  // an old output is replaced
    const ProcessEnd end = Run("voacapw.exe");
    EXPECT_TRUE(end.exited && end.code == 0);
    const std::string out = ReadText(Output());
    EXPECT_NE(out.find("ERROR"), std::string::npos);
    EXPECT_EQ(out.find("END OF RUN"), std::string::npos);
    EXPECT_EQ(out.find("AZIMUTHS"), std::string::npos);
}

// "hang" is left out: it never ends by design, and only a wait could show it.
TEST_F(StandinProcess, TheFailSwitchFailsAsAsked) {
    struct Case {
        const char* value;
        bool exited;
        int codeOrSignal;
        bool output;    // an output file is written
        bool endOfRun;  // it holds END OF RUN
        bool readable;  // every field the driver reads is a number
    };
    Install("voacapw.exe");
    WriteText(Deck(), IcepacVoacapDeck({}));
    for (const Case& c : {Case{"", true, 0, true, true, true}, Case{"sometimes", true, 0, true, true, true},
                          Case{"crash", false, SIGABRT, false, false, false}, Case{"exit1", true, 1, true, true, true},
                          Case{"empty", true, 0, true, false, false}, Case{"truncate", true, 0, true, false, false},
                          Case{"garbage", true, 0, true, true, false}}) {
        SCOPED_TRACE(c.value);
        fs::remove(Output());
        const ProcessEnd end = Run("voacapw.exe", {{"ITSHF_STANDIN_FAIL", c.value}});
        EXPECT_EQ(end.exited, c.exited);
        EXPECT_EQ(c.exited ? end.code : end.signal, c.codeOrSignal);
        ASSERT_EQ(fs::exists(Output()), c.output);
        if (!c.output) continue;
        const std::string out = ReadText(Output());
        EXPECT_EQ(out.find("*****END OF RUN*****") != std::string::npos, c.endOfRun);
        EXPECT_EQ(test::AllNumbers(test::ReadIcepacVoacap(out, 2, 10)), c.readable);
    }
}

TEST_F(StandinProcess, TheLogSwitchRecordsEveryCommandLine) {
    Install("rec533w.exe");
    Install("icepacw.exe");
    WriteText(Deck(), Rec533Deck({}));
    const fs::path log = m_tmp.path() / "calls.log";
    Run("rec533w.exe", {{"ITSHF_STANDIN_LOG", log.string()}});
    Run("icepacw.exe", {{"ITSHF_STANDIN_LOG", log.string()}});
    EXPECT_EQ(ReadText(log), "REC533\tc:\\itshfbc\tsound.dat\tsound.out\nICEPAC\tc:\\itshfbc\tsound.dat\tsound.out\n");
}

TEST_F(StandinProcess, TheSleepSwitchDelaysTheOutputAndChangesNothingElse) {
    Install("rec533w.exe");
    WriteText(Deck(), Rec533Deck({}));
    Run("rec533w.exe");
    const std::string plain = ReadText(Output());
    fs::remove(Output());

    // The process clock of the test, not a sleep of its own: the run must
    // take at least the time asked for.
    const auto start = std::chrono::steady_clock::now();
    const ProcessEnd end = Run("rec533w.exe", {{"ITSHF_STANDIN_SLEEP_MS", "300"}});
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(end.exited && end.code == 0);
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
    EXPECT_EQ(ReadText(Output()), plain);
}

// ---- The pure parts of the program ------------------------------------------

TEST(Standin, SleepMillisecondsTakesWholeNumbersOnly) {
    const struct {
        const char* value;  // nullptr: unset
        long ms;
        bool reported;
    } cases[] = {{nullptr, 0, false}, {"", 0, false},     {"0", 0, false},      {"50", 50, false},
                 {"600000", 600000, false}, {"600001", 0, true}, {"-5", 0, true}, {"12ms", 0, true},
                 {" 50", 0, true},   {"99999999999999999999", 0, true}};
    for (const auto& c : cases) {
        const Environment env = [&c](const std::string& name) -> std::optional<std::string> {
            if (name != "ITSHF_STANDIN_SLEEP_MS" || !c.value) return std::nullopt;
            return std::string(c.value);
        };
        std::ostringstream err;
        EXPECT_EQ(SleepMilliseconds(env, err), c.ms) << (c.value ? c.value : "(unset)");
        EXPECT_EQ(!err.str().empty(), c.reported) << (c.value ? c.value : "(unset)");
    }
}

TEST(Standin, ProgramFromNameIgnoresCaseAndExe) {
    EXPECT_EQ(ProgramFromName("/x/bin_win/voacapw.exe"), Program::Voacap);
    EXPECT_EQ(ProgramFromName("ICEPACW.EXE"), Program::Icepac);
    EXPECT_EQ(ProgramFromName("rec533w"), Program::Rec533);
    EXPECT_EQ(ProgramFromName("voacapl"), std::nullopt);
    EXPECT_EQ(ProgramFromName("voacapw.exe.bak"), std::nullopt);
}

TEST(Standin, ResolveRootFallsBackToTheFolderAboveBinWin) {
    test::TempDir tmp;
    const fs::path exe = tmp.path() / "itshfbc" / "bin_win" / "voacapw.exe";
    EXPECT_EQ(ResolveRoot("c:\\itshfbc", exe), tmp.path() / "itshfbc");
    EXPECT_EQ(ResolveRoot("", exe), tmp.path() / "itshfbc");
    EXPECT_EQ(ResolveRoot(tmp.path().string(), exe), tmp.path());
    EXPECT_EQ(ExecutablePath("./a/../b/x.exe"), fs::current_path() / "b" / "x.exe");
}

}  // namespace
}  // namespace tw::itshf
