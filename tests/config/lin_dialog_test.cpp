// The dialog's limits, the degree's checks and the files it shows are the points dialog
// scenarios'.

#include "config_fixture.h"

#include "../support/process_limits.h"

namespace veld::config::test {
namespace {

using LinDialogTest = ModelTest;

TEST(LinPreviewTest, deviationShowsThreeSignificantDigitsAndAtMostSixDecimals) {
    const std::pair<long double, QString> cases[] = {
        {1.0649L, u"1,06"_s}, {0.000412L, u"0,000412"_s}, {123.4L, u"123"_s},
        {9.996L, u"10,0"_s},  {0.0009996L, u"0,00100"_s}, {1.2e-7L, u"0,000000"_s},
        {0, u"0,00"_s},       {12345.6L, u"12346"_s}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(LinPreview::FormatDeviation(value, DecimalSeparator::Comma), text);
}

TEST(LinDialogCurveTest, fitsAndSegmentsMissTheirPointsByTheLargestDeviation) {
    std::vector<lin::Point> cubic;
    for (int i = 0; i <= 6; ++i)
        cubic.push_back({i * 1.0L, i * i * i - 2.0L * i + 1});
    auto c = ComputeLinDialogCurve(cubic, LinDialogForm::kMethodPolynomial, 3);
    ASSERT_TRUE(c.largest);
    EXPECT_NEAR(static_cast<double>(*c.largest), 0, 1e-9);
    ASSERT_EQ(c.deviation.size(), 7U);
    EXPECT_EQ(c.line.front().x, 0);  // the input range, with the points on it
    EXPECT_EQ(c.line.back().x, 6);
    EXPECT_NEAR(c.line.back().y, 205, 1e-9);

    // A lower degree misses; the label gives the largest miss with the unit.
    c = ComputeLinDialogCurve(cubic, LinDialogForm::kMethodPolynomial, 2);
    ASSERT_TRUE(c.largest);
    EXPECT_GT(*c.largest, 1);
    EXPECT_TRUE(LargestDeviationText(c, DecimalSeparator::Comma, u"°C"_s).endsWith(u" °C"_s));

    // Segments pass through their points, falling inputs too; the corners are drawn.
    const std::vector<lin::Point> bent{{10, 0}, {4, 3}, {2, 8}, {0, 9}};
    c = ComputeLinDialogCurve(bent, LinDialogForm::kMethodSegments, std::nullopt);
    ASSERT_TRUE(c.largest);
    EXPECT_EQ(*c.largest, 0);
    EXPECT_EQ(LargestDeviationText(c, DecimalSeparator::Point, {}), u"Největší odchylka: 0.00"_s);
    EXPECT_TRUE(std::any_of(c.line.begin(), c.line.end(),
                            [](const auto& s) { return s.x == 4 && s.y == 3; }));

    // No curve: the computation's reason instead of a number.
    c = ComputeLinDialogCurve(bent, LinDialogForm::kMethodPolynomial, 4);
    EXPECT_FALSE(c.largest);
    EXPECT_TRUE(c.line.empty());
    EXPECT_EQ(LargestDeviationText(c, DecimalSeparator::Point, {}),
              u"Polynom stupně 4 potřebuje alespoň 5 bodů s různou vstupní hodnotou, soubor "
              u"jich má 4."_s);
    EXPECT_EQ(LargestDeviationText(ComputeLinDialogCurve(bent, 0, std::nullopt),
                                   DecimalSeparator::Point, {}),
              u"Špatně zadaný stupeň polynomu."_s);
}

TEST_F(LinDialogTest, fileDialogStartsInTheProfileFolderWhenItExists) {
    ModelSettings s = settingsWith(DecimalSeparator::Point);
    EXPECT_EQ(ResolveInitialDirectory(u"C:\\TERVOS_VELD\\linearizace"_s, s),
              u"/home/user/Documents"_s);
    s.directoryExists = [](const QString& folder) {
        return folder == u"C:\\TERVOS_VELD\\linearizace"_s;
    };
    EXPECT_EQ(ResolveInitialDirectory(u"C:\\TERVOS_VELD\\linearizace"_s, s),
              u"C:\\TERVOS_VELD\\linearizace"_s);

    chooseType(u"reostat"_s);
    chooseFromFile(QString());
    ASSERT_EQ(prompts.fileRequests.size(), 1);
    EXPECT_EQ(prompts.fileRequests.front().initialDirectory, u"/home/user/Documents"_s);
    EXPECT_EQ(prompts.fileRequests.front().filter, u"*.txt|*.txt|*.*|*.*"_s);

    // The system's documents folder, or the home folder on an account without one.
    QTemporaryDir home;
    const testing::ScopedEnv homeIs("HOME", home.path().toUtf8());
    const testing::ScopedEnv configIs("XDG_CONFIG_HOME", home.filePath(u"cfg"_s).toUtf8());
    EXPECT_EQ(ResolveInitialDirectory(u"/no/such/folder"_s, {}), home.path());
    ASSERT_TRUE(QDir(home.path()).mkdir(u"Documents"_s));
    EXPECT_EQ(ResolveInitialDirectory(u"/no/such/folder"_s, {}), home.filePath(u"Documents"_s));
}

}  // namespace
}  // namespace veld::config::test
