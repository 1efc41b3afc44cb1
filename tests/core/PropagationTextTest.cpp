#include <gtest/gtest.h>

#include <cmath>

#include "propagation/PropagationText.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

// Too wide a number comes back longer than the width; one that is not
// finite one longer, all "*".
TEST(PropagationFortranFormat, WritesFixedWidthRightJustifiedNumbers) {
    const struct {
        double value;
        const char* format;
        const char* text;
    } cases[] = {
        {0, "I5", "    0"},          {-145, "I5", " -145"},            {2.5, "I5", "    3"},
        {-2.5, "I5", "   -3"},       {49.6, "I5", "   50"},            {145, "F5.0", " 145."},
        {0, "F5.0", "   0."},        {-3.4, "F5.0", "  -3."},          {150, "F5.1", "150.0"},
        {3, "F5.1", "  3.0"},        {0, "F5.1", "   .0"},             {0.5, "F5.1", "   .5"},
        {14.108, "F5.1", " 14.1"},   {-0.5, "F5.1", "  -.5"},          {-0.01, "F5.1", "   .0"},
        {1, "F5.2", " 1.00"},        {0.7, "F5.2", "  .70"},           {0, "F5.2", "  .00"},
        {10, "F5.2", "10.00"},       {2.675, "F5.2", " 2.68"},         {0.5, "F6.2", "   .50"},
        {144.8, "F6.2", "144.80"},   {14.1, "F7.1", "   14.1"},        {0.5, "F7.1", "     .5"},
        {29.95, "F7.1", "   30.0"},  {1000, "F5.1", "1000.0"},         {123456, "I5", "123456"},
        {-1000, "F6.2", "-1000.00"}, {std::nan(""), "F5.1", "******"}, {1e300, "I5", "******"},
    };
    for (const auto& c : cases) {
        const std::optional<QString> text =
            FortranFormatText(c.value, QString::fromLatin1(c.format));
        ASSERT_TRUE(text.has_value()) << c.format;
        EXPECT_EQ(text->toStdString(), c.text) << c.value << " " << c.format;
    }

    // An unknown format shows its message and gives an empty text.
    EXPECT_EQ(FortranFormatWidth(QStringLiteral("i5")), 0);
    test::ScriptedUserInterface ui;
    EXPECT_EQ(FortranFormat(ui, 1, QStringLiteral("E10.3")), QString());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("FortranFormat, Unknown format."));
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(FortranFormat(ui, 1, QStringLiteral("F5.2")), QStringLiteral(" 1.00"));
    EXPECT_EQ(ui.messages.size(), 1u);
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

TEST(PropagationFixedFields, WholeNumbersByColumn) {
    const QString line = QStringLiteral("       -153-1091 -703 -487   -  S DBW ");
    std::vector<double> values;
    QString error;
    ASSERT_TRUE(ParseFixedFields(line, 7, 5, 4, values, error)) << error.toStdString();
    EXPECT_EQ(values, (std::vector<double> {-153, -1091, -703, -487}));

    // A dash, blanks or the end of the line are not numbers.
    EXPECT_FALSE(ParseFixedFields(line, 7, 5, 5, values, error));
    EXPECT_TRUE(error.contains(QStringLiteral("\"   - \""))) << error.toStdString();
    EXPECT_FALSE(ParseFixedFields(QStringLiteral("  12"), 1, 5, 2, values, error));
    EXPECT_EQ(ParseFixedFields(QStringLiteral("ab"), 5, 5, 1), std::vector<QString> {QString()});

    EXPECT_EQ(FieldNumber(QStringLiteral("  -16")), -16.0);
    EXPECT_EQ(FieldNumber(QStringLiteral(" .50 ")), 0.5);
    EXPECT_EQ(FieldNumber(QStringLiteral("145.")), 145.0);
    for (const char* bad : {"", "     ", "  -  ", "*****", " 12 E", "1-2", "nan", "inf", "0x10"}) {
        EXPECT_FALSE(FieldNumber(QString::fromLatin1(bad)).has_value()) << bad;
    }
}

}  // namespace
}  // namespace tw
