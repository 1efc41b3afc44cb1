// The hand-over to voacapl, tested with a fake voacapl first on the PATH.

#include "Support.h"
#include "Voacapl.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tw::itshf {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::WriteText;

// A fake voacapl: records beside itself its arguments, what it could read
// from standard input and the deck it was given; writes an output with END OF
// RUN unless FAKE_VOACAPL_END says 0 (a partial one) or none.
const char* const kFakeVoacapl = R"(#!/bin/sh
printf '%s\n' "$@" > "$0.args"
cat > "$0.stdin"
rundir=${2#--run-dir=}
cp "$rundir/$4" "$0.deck"
case "${FAKE_VOACAPL_END:-1}" in
  1) echo ' *****END OF RUN*****     VOACAP 16.1207W' > "$rundir/$5" ;;
  0) echo ' METHOD 20 partial' > "$rundir/$5" ;;
esac
)";

class VoacaplProcess : public test::ItshfbcTree {
protected:
    void SetUp() override {
        ItshfbcTree::SetUp();
        fs::create_directories(m_tmp / "fakebin");
        WriteText(m_tmp / "fakebin" / "voacapl", kFakeVoacapl);
        chmod((m_tmp / "fakebin" / "voacapl").c_str(), 0755);
        WriteText(m_tmp / "voacapl", kFakeVoacapl);  // not executable
        WriteText(Deck(), ReadText(TIDEWELL_SAMPLES_DIR "/voacap-3circuits-2h.dat"));
    }

    // Runs a program of bin_win with the fake voacapl on the PATH, after a
    // folder with a voacapl that may not be run.
    int Run(const char* program, std::map<std::string, std::string> env = {}) {
        const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
        env.try_emplace("PATH", m_tmp.string() + ":" + (m_tmp / "fakebin").string() + ":" + path);
        env.try_emplace("ITSHF_STANDIN_NO_VOACAPL", "");
        return ItshfbcTree::Run(program, env);
    }

    std::string Recorded(const char* what) const { return ReadText(m_tmp / "fakebin" / what); }
};

TEST_F(VoacaplProcess, VoacapwHandsTheRunToVoacaplWithItsRootTheRunFolderAndNoInput) {
    EXPECT_EQ(Run("voacapw.exe", {{"VOACAPL_ITSHFBC", "/opt/itshfbc"}}), 0);
    EXPECT_EQ(Recorded("voacapl.args"), "-s\n--run-dir=" + (m_root / "RUN").string() +
                                            "\n/opt/itshfbc\nsound.dat\nsound.out\n");
    EXPECT_EQ(Recorded("voacapl.stdin"), "");
    // The deck's antenna file names in voacapl's form; every other byte, the
    // line ends included, as it was: a deck of three circuits as the real
    // voacapl echoed it (output lines 8 to 36).
    const std::vector<std::string> echo =
        test::Lines(ReadText(TIDEWELL_SAMPLES_DIR "/voacap-3circuits-2h.out"));
    std::string deck;
    for (std::size_t i = 7; i < 36; ++i) deck += echo[i].substr(1) + "\r\n";
    EXPECT_EQ(Recorded("voacapl.deck"), deck);
    EXPECT_EQ(VoacaplDeck("LABEL [A\\B]\nANTENNA [C\\D]\n"), "LABEL [A\\B]\nANTENNA [c/d]\n");
    // The output is voacapl's own.
    EXPECT_NE(ReadText(Output()).find("VOACAP 16.1207W"), std::string::npos);

    // Without VOACAPL_ITSHFBC the root is itshfbc in the home folder.
    EXPECT_EQ(Run("voacapw.exe", {{"VOACAPL_ITSHFBC", ""}, {"HOME", "/home/sailor"}}), 0);
    EXPECT_NE(Recorded("voacapl.args").find("\n/home/sailor/itshfbc\n"), std::string::npos);
}

// A voacapl run without END OF RUN fails even when an old output had it.
TEST_F(VoacaplProcess, ARunWithoutEndOfRunFailsAndIcepacTheSwitchOrNoVoacaplKeepTheOwnModel) {
    for (const char* mode : {"0", "none"}) {
        WriteText(Output(), " *****END OF RUN*****\n");
        EXPECT_EQ(Run("voacapw.exe", {{"FAKE_VOACAPL_END", mode}}), 1) << mode;
    }
    fs::remove(m_tmp / "fakebin" / "voacapl.args");
    EXPECT_EQ(Run("icepacw.exe"), 0);
    EXPECT_EQ(Run("voacapw.exe", {{"PATH", m_tmp.string()}}), 0);
    EXPECT_EQ(Run("voacapw.exe", {{"ITSHF_STANDIN_NO_VOACAPL", "1"}}), 0);
    EXPECT_EQ(Recorded("voacapl.args"), "");
}

}  // namespace
}  // namespace tw::itshf
