// The projection catalogue against the MIF writer's code tables, and the projection dialog
// driven through its controls: opening state, Apply, OK, Skip and the checks of its boxes.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <set>
#include <tuple>

#include "mif/mif_writer.h"
#include "ui/projection_catalogue.h"
#include "ui/projection_dialog.h"
#include "ui_test_support.h"

namespace vx::ui {
namespace {

using test::Child;

TEST(ProjectionCatalogueTest, IndicesAreTheCodesTheMifWriterTranslates) {
    ASSERT_GE(ProjectionCatalogue::ProjectionCount(), 24);
    ASSERT_GE(ProjectionCatalogue::DatumCount(), 228);

    // Every datum code names the MapInfo datum the writer puts in the file, and no two
    // entries read alike.
    std::set<std::string> names;
    for (std::int32_t code = 1; code <= ProjectionCatalogue::DatumCount(); ++code) {
        const std::string name = ProjectionCatalogue::DatumName(code);
        EXPECT_FALSE(name.empty()) << code;
        EXPECT_TRUE(names.insert(name).second) << "twice: " << name;
        EXPECT_EQ(ProjectionCatalogue::MapInfoDatum(code), MifDatumNumber(code)) << code;
    }
    EXPECT_EQ(ProjectionCatalogue::DatumName(226), "WGS 84");
    EXPECT_EQ(ProjectionCatalogue::DatumName(ProjectionCatalogue::DatumCount() + 1), "");
    EXPECT_EQ(ProjectionCatalogue::DatumName(0), "");

    // Projection names agree with the MapInfo projection the writer chooses for the code.
    const std::pair<std::int32_t, const char*> kMapInfoNumber[] = {
        {1, "1, "}, {2, "9, "}, {10, "4, "}, {11, "3, "}, {20, "20, "}, {21, "8, "}, {23, "10, "}};
    const std::pair<std::int32_t, const char*> kName[] = {{1, "Longitude / Latitude"},
                                                          {2, "Albers Equal-Area Conic"},
                                                          {10, "Lambert Azimuthal Equal-Area"},
                                                          {11, "Lambert Conformal Conic"},
                                                          {20, "Stereographic"},
                                                          {21, "Transverse Mercator"},
                                                          {23, "Mercator"}};
    LayerInfo layer;
    for (std::size_t i = 0; i < std::size(kName); ++i) {
        EXPECT_EQ(ProjectionCatalogue::ProjectionName(kName[i].first), kName[i].second);
        EXPECT_EQ(
            MifProjectionClause(kMapInfoNumber[i].first, layer).rfind(kMapInfoNumber[i].second, 0),
            0u)
            << kName[i].second;
    }
    // Offered is what can be written: a projection the writer has no clause for is not
    // listed. UTM is written as the transverse Mercator of its zone.
    layer.lDatum = 226;
    layer.lUTMZone = 33;
    for (std::int32_t code = 1; code <= ProjectionCatalogue::ProjectionCount(); ++code) {
        EXPECT_EQ(ProjectionCatalogue::ProjectionName(code).empty(),
                  MifProjectionClause(code, layer).empty())
            << code;
    }
    EXPECT_EQ(ProjectionCatalogue::ProjectionName(22), "Universal Transverse Mercator");
    EXPECT_EQ(MifProjectionClause(22, layer), "8, 104, \"m\", 15, 0, 0.9996, 500000, 0");
    layer.lUTMZone = -1;
    EXPECT_EQ(MifProjectionClause(22, layer), "8, 104, \"m\", -177, 0, 0.9996, 500000, 10000000");
    layer.lUTMZone = 61;
    EXPECT_EQ(MifProjectionClause(22, layer), "");
}

class ProjectionDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { test::EnsureApplication(); }

    std::unique_ptr<ProjectionDialog> Open() {
        auto dialog = std::make_unique<ProjectionDialog>(settings, prompt);
        d = dialog.get();
        return dialog;
    }
    QComboBox* Combo(const char* name) { return Child<QComboBox>(*d, name); }
    QLineEdit* Box(int i) {
        return d->findChild<QLineEdit*>(QStringLiteral("txtProjParam(%1)").arg(i));
    }
    QLineEdit* Radius() { return Child<QLineEdit>(*d, "txtSphereRadius"); }
    QRadioButton* Option(const char* name) { return Child<QRadioButton>(*d, name); }
    QPushButton* Button(const char* name) { return Child<QPushButton>(*d, name); }
    static bool Same(const ProjectionSettings& a, const ProjectionSettings& b) {
        const auto fields = [](const ProjectionSettings& s) {
            return std::tuple(s.lCoordSys, s.lProjection, s.lDatum, s.lOriginLongitude,
                              s.lOriginLatitude, s.lStdParellel1, s.lStdParellel2, s.lAzimuth,
                              s.lScaleFactor, s.lFalseEasting, s.lFalseNorthing, s.lRange,
                              s.lAffineUnit, s.lPoleMeridian, s.lPoleParallel, s.lShiftX,
                              s.lStretchY, s.lSkewY, s.lShiftY, s.lUTMZone, s.lYMultiplier,
                              s.lXDisplacement, s.lYDisplacement);
        };
        return fields(a) == fields(b);
    }

    ProjectionSettings settings;  // the window's start values: Earth, code 1, datum 226
    test::ScriptedUserPrompt prompt;
    ProjectionDialog* d = nullptr;
};

TEST_F(ProjectionDialogTest, OpensFromTheStartSettings) {
    auto dialog = Open();
    EXPECT_EQ(d->objectName(), "frmProjSetting");
    EXPECT_EQ(d->windowTitle(), "Projection Parameters");
    EXPECT_EQ(Combo("cmbCoordinateSystem")->currentIndex(), 0);
    EXPECT_EQ(Combo("cmbProjection")->currentIndex(), 0);
    EXPECT_EQ(Combo("cmbProjection")->currentData().toInt(), 1);
    EXPECT_EQ(Combo("cmbDatum")->currentIndex(), 225);
    EXPECT_EQ(Combo("cmbDatum")->currentText(), "WGS 84");
    EXPECT_TRUE(Option("optSpecify")->isChecked());
    EXPECT_EQ(Radius()->text(), "6378137");
    EXPECT_FALSE(Radius()->isEnabled());
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Box(i)->text(), "0") << i;
    EXPECT_EQ(Combo("cmbUTMHemisphere")->currentText(), "North");
    EXPECT_FALSE(Button("CmdApply")->isEnabled());

    // OK with nothing to apply closes at once and stores nothing.
    const ProjectionSettings before = settings;
    Button("cmdOK")->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_TRUE(Same(before, settings));
    EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(ProjectionDialogTest, NoProjectionAndNoDatumOpenUnspecified) {
    settings.lProjection = 0;
    settings.lDatum = 0;
    auto dialog = Open();
    EXPECT_EQ(Combo("cmbProjection")->currentIndex(), -1);
    EXPECT_EQ(Combo("cmbDatum")->currentIndex(), 225);
    EXPECT_TRUE(Option("optUnspecified")->isChecked());
    EXPECT_TRUE(Radius()->isEnabled());
    EXPECT_FALSE(Combo("cmbDatum")->isEnabled());

    // Apply without a projection keeps the code it had.
    Button("CmdApply")->setEnabled(true);
    EXPECT_TRUE(d->Apply());
    EXPECT_EQ(settings.lProjection, 0);
    EXPECT_EQ(settings.lShiftX, 6378137);
}

TEST_F(ProjectionDialogTest, ASphereOutsideTheUsualRadiiIsAskedAbout) {
    auto dialog = Open();
    Option("optUnspecified")->click();
    EXPECT_TRUE(Radius()->isEnabled());
    EXPECT_FALSE(Combo("cmbDatum")->isEnabled());
    Button("CmdApply")->click();
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(settings.lDatum, 0);
    EXPECT_EQ(settings.lShiftX, 6378137);

    Radius()->setText("6000000");
    const ProjectionSettings before = settings;
    Button("cmdOK")->click();  // answered No: nothing stored, the dialog stays
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].title, "Sphere Radius");
    EXPECT_EQ(prompt.questions[0].text,
              "The radius you have specified, is out of acceptable range. Do you wish to "
              "continue?");
    EXPECT_TRUE(Same(before, settings));
    EXPECT_TRUE(Button("CmdApply")->isEnabled());
    EXPECT_EQ(d->result(), QDialog::Rejected);  // not closed by OK

    prompt.yesNo = {true};
    Button("cmdOK")->click();
    EXPECT_EQ(settings.lShiftX, 6000000);
    EXPECT_EQ(d->result(), QDialog::Accepted);

    // Reopened, the sphere shows its radius again.
    auto reopened = Open();
    EXPECT_TRUE(Option("optUnspecified")->isChecked());
    EXPECT_EQ(Radius()->text(), "6000000");
}

TEST_F(ProjectionDialogTest, EachProjectionTakesItsOwnParametersInTheirRanges) {
    auto dialog = Open();
    const auto enabled = [&] {
        QString boxes;
        for (int i = 0; i < 10; ++i)
            boxes += Box(i)->isEnabled() ? QChar('0' + i) : QChar('-');
        return boxes;
    };
    auto* projection = Combo("cmbProjection");
    EXPECT_EQ(enabled(), "----------");  // longitude and latitude take none
    projection->setCurrentIndex(projection->findData(11));  // Lambert conformal conic
    EXPECT_EQ(enabled(), "012345----");
    projection->setCurrentIndex(projection->findData(21));
    EXPECT_EQ(enabled(), "01--45---9");
    EXPECT_FALSE(Combo("cmbUTMHemisphere")->isEnabled());

    // UTM takes its zone only, from 1 to 60.
    projection->setCurrentIndex(projection->findData(22));
    EXPECT_EQ(enabled(), "--------8-");
    EXPECT_TRUE(Combo("cmbUTMHemisphere")->isEnabled());
    Combo("cmbDatum")->setCurrentIndex(Combo("cmbDatum")->findData(98));
    Box(8)->setText("99");
    Combo("cmbUTMHemisphere")->setCurrentIndex(1);
    const ProjectionSettings before = settings;
    Button("CmdApply")->click();
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "UTM Zone (1-60) must be between 1 and 60.");
    EXPECT_TRUE(Same(before, settings));
    Box(8)->setText("43");
    Button("CmdApply")->click();
    EXPECT_FALSE(Button("CmdApply")->isEnabled());
    EXPECT_EQ(settings.lProjection, 22);
    EXPECT_EQ(settings.lDatum, 98);
    EXPECT_EQ(settings.lUTMZone, -43);

    auto reopened = Open();
    EXPECT_EQ(Box(8)->text(), "43");
    EXPECT_EQ(Combo("cmbUTMHemisphere")->currentText(), "South");
    EXPECT_EQ(Combo("cmbProjection")->currentText(), "Universal Transverse Mercator");
    EXPECT_EQ(Combo("cmbDatum")->currentData().toInt(), 98);

    // Latitudes and the scale of the projection in use are held to their ranges.
    Combo("cmbProjection")->setCurrentIndex(Combo("cmbProjection")->findData(21));
    Box(1)->setText("90.5");
    Button("CmdApply")->click();
    EXPECT_EQ(prompt.messages.back().text, "Origin Latitude must be between -90 and 90.");
    Box(1)->setText("-90");
    Button("CmdApply")->click();
    EXPECT_EQ(prompt.messages.back().text, "Scale Factor must be greater than 0 and at most 10.");
    EXPECT_EQ(settings.lProjection, 22);
    Box(9)->setText("0.9996");
    Button("CmdApply")->click();
    EXPECT_EQ(settings.lProjection, 21);
    EXPECT_EQ(settings.lOriginLatitude, -90);
    EXPECT_EQ(prompt.messages.size(), 3u);
}

TEST_F(ProjectionDialogTest, NonEarthZeroesTheProjectionAndKeepsThePlane) {
    settings.lProjection = 21;
    settings.lFalseEasting = 500000;
    settings.lScaleFactor = 0.9996;
    settings.lUTMZone = -43;
    settings.lAzimuth = 3;
    settings.lRange = 5;
    settings.lShiftX = 7;
    settings.lStretchY = 2;
    settings.lXDisplacement = 9;
    auto dialog = Open();
    d->show();
    Combo("cmbCoordinateSystem")->setCurrentIndex(1);
    EXPECT_TRUE(Combo("cmbProjection")->isHidden() || !Combo("cmbProjection")->isVisible());
    EXPECT_FALSE(Child<QGroupBox>(*d, "Frame2")->isVisible());
    EXPECT_TRUE(Button("CmdApply")->isEnabled());
    // Earth again brings back the projection chosen before.
    Combo("cmbCoordinateSystem")->setCurrentIndex(0);
    EXPECT_EQ(Combo("cmbProjection")->currentData().toInt(), 21);
    Combo("cmbCoordinateSystem")->setCurrentIndex(1);
    Button("CmdApply")->click();

    EXPECT_EQ(settings.lCoordSys, 1);
    EXPECT_EQ(settings.lProjection, 0);
    EXPECT_EQ(settings.lDatum, 0);
    EXPECT_EQ(settings.lFalseEasting, 0);
    EXPECT_EQ(settings.lScaleFactor, 0);
    EXPECT_EQ(settings.lUTMZone, 0);
    EXPECT_EQ(settings.lAzimuth, 0);
    EXPECT_EQ(settings.lRange, 5);
    EXPECT_EQ(settings.lShiftX, 7);
    EXPECT_EQ(settings.lStretchY, 2);
    EXPECT_EQ(settings.lXDisplacement, 9);

    auto reopened = Open();
    EXPECT_EQ(Combo("cmbCoordinateSystem")->currentIndex(), 1);
}

TEST_F(ProjectionDialogTest, SkipKeepsEverything) {
    auto dialog = Open();
    const ProjectionSettings before = settings;
    Combo("cmbCoordinateSystem")->setCurrentIndex(1);
    Box(8)->setText("12");
    Button("cmdCancel")->click();
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_TRUE(Same(before, settings));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].title, "Skip Projection Parameters");
    EXPECT_EQ(prompt.messages[0].text,
              "The file/s will be imported with default or last specified, projection "
              "parameters.");
    EXPECT_EQ(prompt.messages[0].icon, UserPrompt::Icon::kInformation);
}

TEST_F(ProjectionDialogTest, BoxesRefuseWhatIsNoNumber) {
    settings.lProjection = 21;  // takes longitude and false easting
    settings.lScaleFactor = 1;
    auto dialog = Open();
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));

    // Leaving a box for another control checks it and brings the focus back.
    Box(0)->setFocus(Qt::OtherFocusReason);
    Box(0)->setText("east");
    Box(1)->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "Invalid Value.");
    QTRY_VERIFY(Box(0)->hasFocus());

    // Apply converts nothing while a box is wrong.
    const ProjectionSettings before = settings;
    Box(4)->setText("1.5e12");  // beyond a 32-bit false easting
    Box(0)->setText("12.5");
    Button("CmdApply")->click();
    EXPECT_EQ(prompt.messages.back().text, "Invalid Value.");
    EXPECT_TRUE(Same(before, settings));

    Box(4)->setText(" +2500.5 ");  // whole numbers round half to even
    Option("optUnspecified")->click();
    Radius()->setText("0");
    Button("CmdApply")->click();
    EXPECT_EQ(prompt.messages.back().text, "Invalid sphere radius value.");
    EXPECT_TRUE(Same(before, settings));

    Radius()->setText("6378000");
    Button("CmdApply")->click();
    EXPECT_EQ(settings.lFalseEasting, 2500);
    EXPECT_EQ(settings.lOriginLongitude, 12.5);
    EXPECT_EQ(settings.lShiftX, 6378000);
}

TEST_F(ProjectionDialogTest, EnterInAListMovesOnInsteadOfClosing) {
    settings.lProjection = 21;
    auto dialog = Open();
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    Combo("cmbCoordinateSystem")->setFocus();
    for (const char* next : {"cmbProjection", "cmbDatum", "txtProjParam(0)"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), next);
    }
    EXPECT_TRUE(d->isVisible());
}

TEST(ProjectionNumberTest, BoxTextRoundTrips) {
    for (double value : {0.0, 0.9996, -12.5, 500000.0, 6378137.0, 1e-7, 123456789.123456})
        EXPECT_EQ(ProjectionDialog::ParseNumber(ProjectionDialog::FormatNumber(value)), value);
    EXPECT_EQ(ProjectionDialog::FormatNumber(0.1 + 0.2), "0.3");  // 15 digits, no noise
    EXPECT_EQ(ProjectionDialog::ParseNumber(" 1e3 "), 1000);
    for (const char* bad : {"", " ", "abc", "1,5", "12x", "inf", "nan", "--1"})
        EXPECT_FALSE(ProjectionDialog::ParseNumber(bad).has_value()) << bad;
}

}  // namespace
}  // namespace vx::ui
