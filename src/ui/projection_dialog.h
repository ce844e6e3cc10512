#pragma once

#include <QDialog>
#include <array>
#include <optional>

#include "engine/batch_run.h"
#include "ui/user_prompt.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vx::ui {

// The projection parameters an ASCII import gives its layers. The dialog loads from the
// settings each time it opens and writes them only on Apply (or OK); Skip and Escape keep
// them as they are.
class ProjectionDialog : public QDialog {
    Q_OBJECT

  public:
    ProjectionDialog(ProjectionSettings& settings, UserPrompt& prompt, QWidget* parent = nullptr);

    // Stores the controls into the settings. False when a value was refused or the sphere
    // radius question was answered No; the settings are then untouched.
    bool Apply();

    // Skip: tells that the files go on with the parameters they had, then closes.
    void reject() override;

    // Number text as the boxes show it and read it: plain decimal, "." as the point, at most
    // 15 significant digits.
    static QString FormatNumber(double value);
    static std::optional<double> ParseNumber(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Load();
    void OnCoordinateSystem(int index);
    // Enables the boxes of the parameters the chosen projection takes, and no others.
    void EnableParameters();
    void OnOk();
    void EnableApply();
    // Checks a parameter box; tells and keeps the focus there when its text is no number.
    bool CheckBox(QLineEdit* box);
    bool CheckRadius();
    void Refocus(QLineEdit* box);

    ProjectionSettings& settings_;
    UserPrompt& prompt_;

    QComboBox* coordSys_;
    QWidget* earthPanel_;
    QComboBox* projection_;
    QRadioButton* specify_;
    QRadioButton* unspecified_;
    QComboBox* datum_;
    QLineEdit* radius_;
    std::array<QLineEdit*, 10> params_{};
    std::array<QLabel*, 10> paramLabels_{};
    QComboBox* hemisphere_;
    QPushButton* applyButton_;
    bool checking_ = false;
    int earthProjection_ = -1;  // the projection chosen before NonEarth was
};

}  // namespace vx::ui
