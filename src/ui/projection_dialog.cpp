#include "ui/projection_dialog.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>
#include <limits>

#include "ui/projection_catalogue.h"

namespace vx::ui {

namespace {

constexpr double kDefaultRadius = 6378137;
constexpr double kRadiusLow = 6377200;
constexpr double kRadiusHigh = 6378500;
constexpr int kDefaultDatum = 226;  // WGS 84

// The boxes in the order of their index, with the caption each shows.
constexpr std::array<const char*, 10> kParamCaptions = {
    "Origin Longitude", "Origin Latitude", "Std Parallel 1", "Std Parallel 2",  "False Easting",
    "False Northing",   "Pole Meridian",   "Pole Parallel",  "UTM Zone (1-60)", "Scale Factor"};

constexpr std::size_t kZoneBox = 8;
constexpr std::size_t kScaleBox = 9;

bool IsIntegerBox(std::size_t index) {
    return index == 4 || index == 5 || index == kZoneBox;
}

// The box that edits a projection parameter; none for the range, which no box edits.
std::optional<std::size_t> BoxOf(ProjectionParameter parameter) {
    switch (parameter) {
        case ProjectionParameter::kLongitude:
            return 0;
        case ProjectionParameter::kLatitude:
            return 1;
        case ProjectionParameter::kParallel1:
            return 2;
        case ProjectionParameter::kParallel2:
            return 3;
        case ProjectionParameter::kEasting:
            return 4;
        case ProjectionParameter::kNorthing:
            return 5;
        case ProjectionParameter::kScale:
            return kScaleBox;
        case ProjectionParameter::kRange:
            break;
    }
    return std::nullopt;
}

// The values a box takes, where not every number is a place on the Earth: latitudes, the
// zone and the scale (above 0).
struct BoxRange {
    std::size_t box;
    double low;
    double high;
};
constexpr BoxRange kRanges[] = {
    {1, -90, 90},      {2, -90, 90}, {3, -90, 90}, {7, -90, 90}, {kZoneBox, 1, kUtmZoneCount},
    {kScaleBox, 0, 10}};

// Whole-number fields round half to even and must fit 32 bits.
std::optional<std::int32_t> ToInt32(double value) {
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

QString ProjectionDialog::FormatNumber(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return QString::fromLatin1(buffer, static_cast<qsizetype>(result.ptr - buffer));
}

std::optional<double> ProjectionDialog::ParseNumber(const QString& text) {
    QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.startsWith('+')) bytes.remove(0, 1);
    if (bytes.isEmpty()) return std::nullopt;
    double value = 0;
    const char* end = bytes.constData() + bytes.size();
    const auto result = std::from_chars(bytes.constData(), end, value);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

ProjectionDialog::ProjectionDialog(ProjectionSettings& settings, UserPrompt& prompt,
                                   QWidget* parent)
    : QDialog(parent), settings_(settings), prompt_(prompt) {
    setObjectName(QStringLiteral("frmProjSetting"));
    setWindowTitle(tr("Projection Parameters"));

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* top = new QFormLayout;
    coordSys_ = new QComboBox;
    coordSys_->setObjectName(QStringLiteral("cmbCoordinateSystem"));
    coordSys_->addItems({tr("Earth Mode"), tr("Non Earth Mode")});
    auto* coordSysLabel = new QLabel(tr("Coordinate System"));
    coordSysLabel->setBuddy(coordSys_);
    top->addRow(coordSysLabel, coordSys_);
    layout->addLayout(top);

    // Everything a NonEarth layer does without; hidden in that mode.
    earthPanel_ = new QWidget;
    auto* earth = new QVBoxLayout(earthPanel_);
    earth->setContentsMargins(0, 0, 0, 0);

    auto* projectionRow = new QFormLayout;
    projection_ = new QComboBox;
    projection_->setObjectName(QStringLiteral("cmbProjection"));
    auto* projectionLabel = new QLabel(tr("Projection"));
    projectionLabel->setBuddy(projection_);
    // The two lists sit in different layouts; equal label widths line them up.
    projectionLabel->setFixedWidth(coordSysLabel->sizeHint().width());
    coordSysLabel->setFixedWidth(coordSysLabel->sizeHint().width());
    projectionRow->addRow(projectionLabel, projection_);
    earth->addLayout(projectionRow);

    auto* datumFrame = new QGroupBox(tr("Datum"));
    datumFrame->setObjectName(QStringLiteral("Frame1"));
    auto* datumGrid = new QGridLayout(datumFrame);
    specify_ = new QRadioButton(tr("Specify"));
    specify_->setObjectName(QStringLiteral("optSpecify"));
    unspecified_ = new QRadioButton(tr("Unspecified"));
    unspecified_->setObjectName(QStringLiteral("optUnspecified"));
    datum_ = new QComboBox;
    datum_->setObjectName(QStringLiteral("cmbDatum"));
    datum_->setMaxVisibleItems(20);
    radius_ = new QLineEdit;
    radius_->setObjectName(QStringLiteral("txtSphereRadius"));
    radius_->setAlignment(Qt::AlignRight);
    datumGrid->addWidget(specify_, 0, 0);
    datumGrid->addWidget(datum_, 0, 1, 1, 3);
    datumGrid->addWidget(unspecified_, 1, 0);
    datumGrid->addWidget(new QLabel(tr("Sphere Radius")), 1, 1);
    datumGrid->addWidget(radius_, 1, 2);
    datumGrid->addWidget(new QLabel(tr("Mts.")), 1, 3);
    datumGrid->setColumnStretch(2, 1);
    earth->addWidget(datumFrame);

    auto* paramFrame = new QGroupBox(tr("Projection Parameters"));
    paramFrame->setObjectName(QStringLiteral("Frame2"));
    auto* paramGrid = new QGridLayout(paramFrame);
    paramGrid->setHorizontalSpacing(10);
    hemisphere_ = new QComboBox;
    hemisphere_->setObjectName(QStringLiteral("cmbUTMHemisphere"));
    hemisphere_->addItems({tr("North"), tr("South")});
    // Angles on the left, distances and the zone on the right.
    constexpr std::array<int, 10> kRow = {0, 1, 2, 3, 0, 1, 2, 3, 4, 4};
    constexpr std::array<int, 10> kColumn = {0, 0, 0, 0, 2, 2, 2, 2, 2, 0};
    for (std::size_t i = 0; i < params_.size(); ++i) {
        auto* box = new QLineEdit;
        box->setObjectName(QStringLiteral("txtProjParam(%1)").arg(i));
        box->setAlignment(Qt::AlignRight);
        box->setMinimumWidth(110);
        box->installEventFilter(this);
        params_[i] = box;
        auto* label = paramLabels_[i] = new QLabel(tr(kParamCaptions[i]));
        label->setBuddy(box);
        paramGrid->addWidget(label, kRow[i], kColumn[i]);
        if (i == 8) {
            auto* zone = new QHBoxLayout;
            zone->addWidget(box, 1);
            zone->addWidget(hemisphere_);
            paramGrid->addLayout(zone, kRow[i], kColumn[i] + 1);
        } else {
            paramGrid->addWidget(box, kRow[i], kColumn[i] + 1);
        }
    }
    paramGrid->setColumnMinimumWidth(2, 100);
    earth->addWidget(paramFrame);
    layout->addWidget(earthPanel_);

    auto* buttonFrame = new QWidget;
    buttonFrame->setObjectName(QStringLiteral("Frame3"));
    auto* buttons = new QHBoxLayout(buttonFrame);
    buttons->setContentsMargins(0, 6, 0, 0);
    applyButton_ = new QPushButton(tr("&Apply"));
    applyButton_->setObjectName(QStringLiteral("CmdApply"));
    auto* ok = new QPushButton(tr("&OK"));
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* skip = new QPushButton(tr("&Skip"));
    skip->setObjectName(QStringLiteral("cmdCancel"));
    buttons->addStretch();
    buttons->addWidget(applyButton_);
    buttons->addWidget(ok);
    buttons->addWidget(skip);
    layout->addWidget(buttonFrame);

    radius_->installEventFilter(this);
    coordSys_->installEventFilter(this);
    projection_->installEventFilter(this);
    datum_->installEventFilter(this);

    Load();

    // Connected after loading, so that only the person's changes enable Apply.
    connect(coordSys_, &QComboBox::currentIndexChanged, this,
            &ProjectionDialog::OnCoordinateSystem);
    connect(projection_, &QComboBox::currentIndexChanged, this, [this] {
        EnableParameters();
        EnableApply();
    });
    connect(datum_, &QComboBox::currentIndexChanged, this, &ProjectionDialog::EnableApply);
    connect(hemisphere_, &QComboBox::currentIndexChanged, this, &ProjectionDialog::EnableApply);
    for (auto* box : params_)
        connect(box, &QLineEdit::textChanged, this, &ProjectionDialog::EnableApply);
    connect(radius_, &QLineEdit::textChanged, this, &ProjectionDialog::EnableApply);
    connect(specify_, &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        radius_->setEnabled(false);
        datum_->setEnabled(true);
        EnableApply();
    });
    connect(unspecified_, &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        datum_->setEnabled(false);
        radius_->setEnabled(true);
        EnableApply();
    });
    connect(applyButton_, &QPushButton::clicked, this, &ProjectionDialog::Apply);
    connect(ok, &QPushButton::clicked, this, &ProjectionDialog::OnOk);
    connect(skip, &QPushButton::clicked, this, &ProjectionDialog::reject);
}

void ProjectionDialog::Load() {
    const ProjectionSettings& s = settings_;
    // A sphere keeps its radius in lShiftX; show it again rather than the default.
    const bool sphere = s.lDatum < 1 && s.lShiftX > 0;
    radius_->setText(FormatNumber(sphere ? s.lShiftX : kDefaultRadius));

    for (std::int32_t i = 1; i <= ProjectionCatalogue::DatumCount(); ++i)
        datum_->addItem(QString::fromStdString(ProjectionCatalogue::DatumName(i)), i);
    for (std::int32_t i = 1; i <= ProjectionCatalogue::ProjectionCount(); ++i) {
        const std::string name = ProjectionCatalogue::ProjectionName(i);
        if (!name.empty()) projection_->addItem(QString::fromStdString(name), i);
    }

    const std::array<double, 10> values = {
        s.lOriginLongitude, s.lOriginLatitude,       s.lStdParellel1,
        s.lStdParellel2,    double(s.lFalseEasting), double(s.lFalseNorthing),
        s.lPoleMeridian,    s.lPoleParallel,         std::abs(double(s.lUTMZone)),
        s.lScaleFactor};
    for (std::size_t i = 0; i < params_.size(); ++i)
        params_[i]->setText(FormatNumber(values[i]));
    hemisphere_->setCurrentIndex(s.lUTMZone < 0 ? 1 : 0);

    const int mode = s.lCoordSys == 1 ? 1 : 0;
    coordSys_->setCurrentIndex(mode);
    OnCoordinateSystem(mode);
    // Codes are item data: the list leaves out projections no layer can be written with.
    if (projection_->count() > 0)
        projection_->setCurrentIndex(projection_->findData(s.lProjection));
    EnableParameters();

    specify_->setChecked(true);
    radius_->setEnabled(false);
    int datumIndex = s.lDatum >= 1 ? datum_->findData(s.lDatum) : -1;
    if (datumIndex < 0) {
        datum_->setCurrentIndex(datum_->findData(kDefaultDatum));
        unspecified_->setChecked(true);
        datum_->setEnabled(false);
        radius_->setEnabled(true);
    } else {
        datum_->setCurrentIndex(datumIndex);
    }
    applyButton_->setEnabled(false);
}

void ProjectionDialog::OnCoordinateSystem(int index) {
    if (index == 0) {
        // Back from NonEarth, the projection chosen before comes back.
        if (projection_->count() > 0)
            projection_->setCurrentIndex(earthProjection_ >= 0 ? earthProjection_ : 0);
        earthPanel_->show();
    } else {
        earthProjection_ = projection_->currentIndex();
        earthPanel_->hide();
    }
    EnableApply();
}

void ProjectionDialog::EnableParameters() {
    const int code = projection_->currentIndex() >= 0 ? projection_->currentData().toInt() : 0;
    std::array<bool, 10> used{};
    for (ProjectionParameter parameter : ProjectionCatalogue::Parameters(code)) {
        if (const auto box = BoxOf(parameter)) used[*box] = true;
    }
    used[kZoneBox] = code == kUtmProjection;
    for (std::size_t i = 0; i < params_.size(); ++i) {
        params_[i]->setEnabled(used[i]);
        paramLabels_[i]->setEnabled(used[i]);
    }
    hemisphere_->setEnabled(used[kZoneBox]);
}

bool ProjectionDialog::Apply() {
    ProjectionSettings& s = settings_;
    if (coordSys_->currentIndex() == 0) {
        std::array<double, 10> values{};
        for (std::size_t i = 0; i < params_.size(); ++i) {
            if (!CheckBox(params_[i])) return false;
            values[i] = *ParseNumber(params_[i]->text());
        }
        // Only what the projection uses must lie in its range; the rest is kept as it is.
        for (const BoxRange& range : kRanges) {
            const double value = values[range.box];
            const bool scale = range.box == kScaleBox;
            const bool inside = scale ? value > range.low && value <= range.high
                                      : value >= range.low && value <= range.high;
            if (inside || !params_[range.box]->isEnabled()) continue;
            const QString caption = tr(kParamCaptions[range.box]);
            prompt_.Message(
                this,
                scale ? tr("%1 must be greater than 0 and at most %2.")
                            .arg(caption, FormatNumber(range.high))
                      : tr("%1 must be between %2 and %3.")
                            .arg(caption, FormatNumber(range.low), FormatNumber(range.high)),
                QString());
            Refocus(params_[range.box]);
            return false;
        }
        double radius = 0;
        if (unspecified_->isChecked()) {
            if (!CheckRadius()) return false;
            radius = *ParseNumber(radius_->text());
            if (radius < kRadiusLow || radius > kRadiusHigh) {
                const bool go_on = prompt_.AskYesNo(
                    this,
                    tr("The radius you have specified, is out of acceptable range. Do you wish "
                       "to continue?"),
                    tr("Sphere Radius"));
                if (!go_on) {
                    radius_->selectAll();
                    radius_->setFocus();
                    return false;
                }
            }
        }
        // With no projection chosen (opened from code 0) the code stays what it was.
        if (projection_->currentIndex() >= 0) s.lProjection = projection_->currentData().toInt();
        if (specify_->isChecked()) {
            s.lShiftX = 0;
            s.lDatum = datum_->currentIndex() >= 0 ? datum_->currentData().toInt() : 0;
        } else {
            s.lDatum = 0;
            s.lShiftX = radius;
        }
        s.lOriginLongitude = values[0];
        s.lOriginLatitude = values[1];
        s.lStdParellel1 = values[2];
        s.lStdParellel2 = values[3];
        s.lFalseEasting = *ToInt32(values[4]);
        s.lFalseNorthing = *ToInt32(values[5]);
        s.lPoleMeridian = values[6];
        s.lPoleParallel = values[7];
        s.lUTMZone = *ToInt32(values[8]);
        s.lScaleFactor = values[9];
        if (hemisphere_->currentIndex() == 1) s.lUTMZone = -s.lUTMZone;
    } else {
        // A NonEarth layer has no projection; the plane's own values stay.
        s.lProjection = 0;
        s.lDatum = 0;
        s.lOriginLongitude = s.lOriginLatitude = 0;
        s.lStdParellel1 = s.lStdParellel2 = 0;
        s.lAzimuth = s.lScaleFactor = 0;
        s.lFalseEasting = s.lFalseNorthing = 0;
        s.lAffineUnit = 0;
        s.lPoleMeridian = s.lPoleParallel = 0;
        s.lSkewY = s.lShiftY = 0;
        s.lUTMZone = s.lYMultiplier = s.lYDisplacement = 0;
    }
    s.lCoordSys = static_cast<std::uint8_t>(coordSys_->currentIndex());
    applyButton_->setEnabled(false);
    return true;
}

void ProjectionDialog::EnableApply() {
    applyButton_->setEnabled(true);
}

void ProjectionDialog::OnOk() {
    if (applyButton_->isEnabled()) Apply();
    if (!applyButton_->isEnabled()) accept();
}

void ProjectionDialog::reject() {
    prompt_.Message(
        this,
        tr("The file/s will be imported with default or last specified, projection parameters."),
        tr("Skip Projection Parameters"), UserPrompt::Icon::kInformation);
    QDialog::reject();
}

bool ProjectionDialog::CheckBox(QLineEdit* box) {
    const auto value = ParseNumber(box->text());
    const auto index =
        static_cast<std::size_t>(std::find(params_.begin(), params_.end(), box) - params_.begin());
    if (value && (!IsIntegerBox(index) || ToInt32(*value))) return true;
    prompt_.Message(this, tr("Invalid Value."), QString());
    Refocus(box);
    return false;
}

bool ProjectionDialog::CheckRadius() {
    const auto value = ParseNumber(radius_->text());
    if (value && *value > 0) return true;
    prompt_.Message(this, tr("Invalid sphere radius value."), QString());
    Refocus(radius_);
    return false;
}

void ProjectionDialog::Refocus(QLineEdit* box) {
    // Queued: the focus is still moving away while the check runs.
    QTimer::singleShot(0, box, [box] {
        box->setFocus();
        box->selectAll();
    });
}

bool ProjectionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            QWidget* next = nullptr;
            if (watched == coordSys_) next = projection_;
            if (watched == projection_) next = datum_;
            if (watched == datum_) {
                // On to the first parameter the projection takes, if it takes any.
                for (QLineEdit* box : params_) {
                    if (box->isEnabled()) {
                        next = box;
                        break;
                    }
                }
            }
            if (next != nullptr) {
                next->setFocus();
                return true;
            }
        }
    }
    if (event->type() == QEvent::FocusOut && !checking_) {
        // Only leaving the box for another control of the dialog is checked, not a switch
        // to another window.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool moved = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                           reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (moved && box != nullptr && box->isEnabled() && isVisible()) {
            checking_ = true;
            if (box == radius_)
                CheckRadius();
            else
                CheckBox(box);
            checking_ = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vx::ui
