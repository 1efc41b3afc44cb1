#include <gtest/gtest.h>

#include <cmath>

#include "propagation/PropagationText.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

struct FormatCase {
    double value;
    const char* format;
    const char* text;
};

TEST(PropagationFortranFormat, WritesFixedWidthRightJustifiedNumbers) {
    const FormatCase cases[] = {
        {0, "I5", "    0"},        {20, "I5", "   20"},        {-145, "I5", " -145"},
        {2.5, "I5", "    3"},      {-2.5, "I5", "   -3"},      {49.6, "I5", "   50"},
        {2026, "I5", " 2026"},     {145, "F5.0", " 145."},     {0, "F5.0", "   0."},
        {-3.4, "F5.0", "  -3."},   {150, "F5.1", "150.0"},     {3, "F5.1", "  3.0"},
        {0, "F5.1", "   .0"},      {0.5, "F5.1", "   .5"},     {3.6, "F5.1", "  3.6"},
        {14.108, "F5.1", " 14.1"}, {-0.5, "F5.1", "  -.5"},    {-0.01, "F5.1", "   .0"},
        {1, "F5.2", " 1.00"},      {0.7, "F5.2", "  .70"},     {0, "F5.2", "  .00"},
        {10, "F5.2", "10.00"},     {2.675, "F5.2", " 2.68"},   {0, "F6.2", "   .00"},
        {0.5, "F6.2", "   .50"},   {13.5, "F6.2", " 13.50"},   {144.8, "F6.2", "144.80"},
        {120.3, "F6.2", "120.30"}, {14.1, "F7.1", "   14.1"},  {0.5, "F7.1", "     .5"},
        {3.6, "F7.1", "    3.6"},  {29.95, "F7.1", "   30.0"},
    };
    for (const FormatCase& c : cases) {
        const std::optional<QString> text =
            FortranFormatText(c.value, QString::fromLatin1(c.format));
        ASSERT_TRUE(text.has_value()) << c.format;
        EXPECT_EQ(text->toStdString(), c.text) << c.value << " " << c.format;
    }
}

TEST(PropagationFortranFormat, TooWideNumbersComeBackLongerThanTheWidth) {
    EXPECT_EQ(FortranFormatText(1000, QStringLiteral("F5.1"))->toStdString(), "1000.0");
    EXPECT_EQ(FortranFormatText(123456, QStringLiteral("I5"))->toStdString(), "123456");
    EXPECT_EQ(FortranFormatText(-1000, QStringLiteral("F6.2"))->size(), 8);
    EXPECT_EQ(FortranFormatText(std::nan(""), QStringLiteral("F5.1"))->toStdString(), "******");
    EXPECT_EQ(FortranFormatText(1e300, QStringLiteral("I5"))->size(), 6);
}

TEST(PropagationFortranFormat, UnknownFormatShowsItsMessageAndGivesEmptyText) {
    EXPECT_FALSE(FortranFormatText(1, QStringLiteral("F8.3")).has_value());
    EXPECT_EQ(FortranFormatWidth(QStringLiteral("i5")), 0);
    test::ScriptedUserInterface ui;
    EXPECT_EQ(FortranFormat(ui, 1, QStringLiteral("E10.3")), QString());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("FortranFormat, Unknown format."));
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(FortranFormat(ui, 1, QStringLiteral("F5.2")), QStringLiteral(" 1.00"));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(PropagationLetters, ZeroIsSouthAndWest) {
    EXPECT_EQ(LatitudeLetter(0.0), QStringLiteral("S"));
    EXPECT_EQ(LatitudeLetter(0.01), QStringLiteral("N"));
    EXPECT_EQ(LatitudeLetter(-12.0), QStringLiteral("S"));
    EXPECT_EQ(LongitudeLetter(0.0), QStringLiteral("W"));
    EXPECT_EQ(LongitudeLetter(144.8), QStringLiteral("E"));
    EXPECT_EQ(LongitudeLetter(-120.3), QStringLiteral("W"));
}

TEST(PropagationDeckWriter, TabsPadToTheColumnAndLinesEndWithCrLf) {
    DeckWriter deck;
    deck.Line(QStringLiteral("TIME"))
        .Tab(11)
        .Number(20, QStringLiteral("I5"), QStringLiteral("hour"));
    deck.Line(QStringLiteral("A"))
        .Tab(1)
        .Text(QStringLiteral("B"))
        .Tab(2)
        .Text(QStringLiteral("C"));
    ASSERT_TRUE(deck.Ok());
    EXPECT_EQ(deck.Bytes(), QByteArray("TIME         20\r\nABC\r\n"));

    DeckWriter wide;
    wide.Line(QStringLiteral("SUNSPOT"))
        .Tab(11)
        .Number(1000, QStringLiteral("F5.1"), QStringLiteral("sunspot number"));
    wide.Number(1, QStringLiteral("F5.1"), QStringLiteral("later"));
    EXPECT_FALSE(wide.Ok());
    EXPECT_EQ(wide.Error(), QStringLiteral("sunspot number 1000 does not fit format F5.1"));
}

TEST(PropagationFileFindLine, WalksForwardThroughTheFile) {
    OutputLines file(QByteArray("one MODE\r\ntwo\nthree mode\rfour MODE x\n\nlast"));
    EXPECT_EQ(FileFindLine(file, QStringLiteral("MODE")), QStringLiteral("one MODE"));
    // Letter case counts; the search goes on from after the line found.
    EXPECT_EQ(FileFindLine(file, QStringLiteral("MODE")), QStringLiteral("four MODE x"));
    EXPECT_EQ(file.NextLine(), QStringLiteral(""));
    EXPECT_EQ(FileFindLine(file, QStringLiteral("MODE")), std::nullopt);
    EXPECT_TRUE(file.AtEnd());
    EXPECT_EQ(FileFindLine(file, QStringLiteral("last")), std::nullopt);
}

TEST(PropagationFixedFields, TakesFieldsByColumn) {
    const QString line = QStringLiteral("       -153-1091 -703 -487   -  S DBW ");
    const std::vector<QString> text = ParseFixedFields(line, 7, 5, 3);
    EXPECT_EQ(text, (std::vector<QString> {QStringLiteral(" -153"), QStringLiteral("-1091"),
                                           QStringLiteral(" -703")}));
    std::vector<double> values;
    QString error;
    ASSERT_TRUE(ParseFixedFields(line, 7, 5, 4, values, error)) << error.toStdString();
    EXPECT_EQ(values, (std::vector<double> {-153, -1091, -703, -487}));

    // A dash, blanks or the end of the line are not numbers.
    EXPECT_FALSE(ParseFixedFields(line, 7, 5, 5, values, error));
    EXPECT_TRUE(error.contains(QStringLiteral("\"   - \""))) << error.toStdString();
    EXPECT_FALSE(ParseFixedFields(QStringLiteral("  12"), 1, 5, 2, values, error));
    EXPECT_EQ(ParseFixedFields(QStringLiteral("ab"), 5, 5, 1), std::vector<QString> {QString()});
}

TEST(PropagationFixedFields, NumbersAreWholeFieldsOnly) {
    EXPECT_EQ(FieldNumber(QStringLiteral("  -16")), -16.0);
    EXPECT_EQ(FieldNumber(QStringLiteral(" .50 ")), 0.5);
    EXPECT_EQ(FieldNumber(QStringLiteral("145.")), 145.0);
    for (const char* bad : {"", "     ", "  -  ", "*****", " 12 E", "1-2", "nan", "inf", "0x10"}) {
        EXPECT_FALSE(FieldNumber(QString::fromLatin1(bad)).has_value()) << bad;
    }
}

TEST(PropagationFixedFields, WholeFieldWidensToTheNumberItCuts) {
    const QString line = QStringLiteral(
        "  13.50 N  144.80 E - 38.60 N  120.30 W     51.37  283.59    5125.2   9491.2");
    EXPECT_EQ(FixedFieldWhole(line, 43, 6), QStringLiteral("  51.37"));
    EXPECT_EQ(FixedFieldWhole(line, 51, 6), QStringLiteral(" 283.59"));
    EXPECT_EQ(FixedFieldWhole(line, 60, 7), QStringLiteral("  5125.2"));
    // A field in its place stays as it is.
    EXPECT_EQ(FixedFieldWhole(QStringLiteral("ab  12.5  cd"), 3, 6), QStringLiteral("  12.5"));
    EXPECT_EQ(FixedFieldWhole(QStringLiteral("x"), 5, 3), QString());
}

}  // namespace
}  // namespace tw
