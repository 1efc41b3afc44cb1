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
using StandinProcess = test::ItshfbcTree;
using test::ReadText;
using test::WriteText;

// A Windows root (c:\itshfbc) maps to the tree above bin_win; the log switch
// records every command line.
TEST_F(StandinProcess, TheFileNameChoosesTheModelAndTheLogRecordsEveryRun) {
    const std::string log = (m_tmp / "calls.log").string();
    std::string logged;
    for (const auto& [file, title] :
         {std::pair{"voacapw.exe", "VOACAP"}, std::pair{"VoacapW.EXE", "VOACAP"},
          std::pair{"icepacw.exe", "ICEPAC"}, std::pair{"ICEPACW", "ICEPAC"},
          std::pair{"rec533w.exe", "REC533"}}) {
        SCOPED_TRACE(file);
        WriteText(Deck(), title == std::string("REC533") ? Rec533Deck({}) : IcepacVoacapDeck({}));
        EXPECT_EQ(Run(file, {{"ITSHF_STANDIN_LOG", log}}), 0);
        logged += std::string(title) + "\tc:\\itshfbc\tsound.dat\tsound.out\n";
        const std::string out = ReadText(Output());
        // It says what it is.
        EXPECT_NE(out.find(std::string(title) + "   STAND-IN"), std::string::npos);
        EXPECT_NE(out.find("not the ITS HF propagation program"), std::string::npos);
    }
    EXPECT_EQ(ReadText(log), logged);
}

// An existing root is used as given, and its run folder found in any case.
TEST_F(StandinProcess, TheRootIsUsedAsGivenAnUnknownNameOrCommandLineRefusedABadDeckReported) {
    const fs::path other = m_tmp / "elsewhere";
    fs::create_directories(other / "run");
    WriteText(other / "run" / "sound.dat", IcepacVoacapDeck({}));
    EXPECT_EQ(Run("voacapw.exe", {}, {other.string(), "sound.dat", "sound.out"}), 0);
    EXPECT_NE(ReadText(other / "run" / "sound.out").find("END OF RUN"), std::string::npos);
    WriteText(Output(), " *****END OF RUN*****\n");  // an old output, to be replaced
    EXPECT_EQ(Run("itshf-standin"), 2);
    EXPECT_EQ(Run("voacapw.exe.bak"), 2);
    EXPECT_EQ(Run("voacapw.exe", {}, {"c:\\itshfbc", "sound.dat"}), 2);
    EXPECT_EQ(ReadText(Output()), " *****END OF RUN*****\n");
    // A deck that is missing or cannot be read: like the real programs it
    // ends with code 0, but the output has none of the labels the driver reads.
    std::string bad = IcepacVoacapDeck({});
    bad.replace(bad.find("CIRCUIT"), 7, "CIRCXIT");
    for (const bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "missing" : "unreadable");
        if (!missing) WriteText(Deck(), bad);
        EXPECT_EQ(Run("voacapw.exe"), 0);
        const std::string out = ReadText(Output());
        EXPECT_NE(out.find("ERROR"), std::string::npos);
        EXPECT_EQ(out.find("END OF RUN"), std::string::npos);
        EXPECT_EQ(out.find("AZIMUTHS"), std::string::npos);
    }
}

// On a deck of three circuits.  "hang" is left out: it never ends by design,
// and only a wait could show it.
TEST_F(StandinProcess, TheSwitchesFailOrDelayAsAsked) {
    enum Text { kNone, kNormal, kEmpty, kFirstHalf, kGarbled };
    struct Case {
        const char* value;
        int code;  // 128 + the signal when it is killed
        Text output;
        int sleepMs;  // at least
        const char* variable = "ITSHF_STANDIN_FAIL";
    };
    WriteText(Deck(), ReadText(fs::path(TIDEWELL_SAMPLES_DIR) / "voacap-3circuits-2h.dat"));
    ASSERT_EQ(Run("voacapw.exe"), 0);
    const std::string normal = ReadText(Output());
    const std::size_t firstPage = normal.find('\f');
    for (const Case& c :
         {Case{"sometimes", 0, kNormal, 0}, Case{"crash", 128 + SIGABRT, kNone, 0},
          Case{"exit1", 1, kNormal, 0}, Case{"empty", 0, kEmpty, 0},
          Case{"truncate", 0, kFirstHalf, 0}, Case{"garbage", 0, kGarbled, 0},
          Case{"300", 0, kNormal, 300, "ITSHF_STANDIN_SLEEP_MS"},
          Case{"100", 0, kNormal, 300, "ITSHF_STANDIN_CIRCUIT_MS"}}) {
        SCOPED_TRACE(c.value);
        fs::remove(Output());
        // The process clock of the test, not a sleep of its own.
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Run("voacapw.exe", {{c.variable, c.value}}), c.code);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(c.sleepMs));
        const std::string out = ReadText(Output());
        EXPECT_EQ(fs::exists(Output()), c.output != kNone);
        EXPECT_EQ(out.empty(), c.output == kNone || c.output == kEmpty);
        EXPECT_EQ(out == normal, c.output == kNormal);
        EXPECT_EQ(normal.starts_with(out), c.output != kGarbled);
        if (c.output == kGarbled) {
            // The banner and the echo stay, the labels too, but no field is a number.
            EXPECT_EQ(out.size(), normal.size());
            EXPECT_EQ(out.substr(0, firstPage), normal.substr(0, firstPage));
            EXPECT_NE(out.find("SNRxx"), std::string::npos);
            EXPECT_EQ(out.find_first_of("0123456789", firstPage), std::string::npos);
        }
    }
}

// ---- The pure parts of the program ------------------------------------------

TEST(Standin, SleepMillisecondsTakesWholeNumbersFrom0To600000Only) {
    // -1: reported under the variable's name, and no sleep.
    struct Case { const char* value; long ms; std::string variable = "ITSHF_STANDIN_SLEEP_MS"; };
    for (const auto& [value, ms, variable] : std::initializer_list<Case>{
             {nullptr, 0}, {"", 0}, {"0", 0}, {"50", 50}, {"600000", 600000}, {"600001", -1},
             {"-5", -1}, {"12ms", -1}, {" 50", -1}, {"99999999999999999999", -1},
             {"7s", -1, "ITSHF_STANDIN_CIRCUIT_MS"}}) {
        SCOPED_TRACE(value ? value : "(unset)");
        const Environment env = [&](const std::string& name) -> std::optional<std::string> {
            if (name != variable || !value) return std::nullopt;
            return value;
        };
        std::ostringstream err;
        EXPECT_EQ(SleepMilliseconds(env, err, variable), std::max(ms, 0L));
        EXPECT_EQ(err.str().starts_with(variable + "="), ms < 0);
    }
}

TEST(Standin, ExecutablePathIsAbsoluteAndNormal) {
    EXPECT_EQ(ExecutablePath("./a/../b/x.exe"), fs::current_path() / "b" / "x.exe");
}

}  // namespace
}  // namespace tw::itshf
