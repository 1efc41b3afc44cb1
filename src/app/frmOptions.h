#pragma once
// The options dialog's behaviour: the one window in which the user edits the
// settings record.  Six tabs (AirMail, Propagation, Station, Antenna, Radio,
// Ham Station) and Default, OK, Cancel (Esc) and Apply below them.  The
// dialog keeps no copy of the record: its controls are the working copy,
// filled by OptionsLoad and taken over by OptionsSave on Apply and OK, after
// which the main window's list and the open 24-hour and detailed views are
// rebuilt.  It is not modal: the main window, its updates and the connection
// process go on while it is open, with the record as last taken over.
//
// The Qt window (ui/frmOptionsWidget) renders these models and forwards the
// user's actions; the tests drive them directly.

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <functional>
#include <optional>

#include "app/OffsetEditor.h"
#include "common/Controls.h"

namespace tw {

class HamStation;

class AirMail;
class Position;
class frmMain;
struct RadioTuning;

// A control of the general tabs: a check box or option button (`value`), a
// text box (`text`, as typed), a label (`text`, computed) or a drop-down list
// (`items`, `listIndex`).
struct OptionControl : Control {
    QString text;
    bool value = false;
    bool visible = true;
    QStringList items;
    int listIndex = -1;
};

// The age of a time in words, for the position label: calendar days between
// the two UTC dates when they differ ("3 days"), else hour boundaries
// ("3 hours"), else minute boundaries ("0 minutes").  There is no singular
// ("1 days"); a time after `now` gives a negative count.
QString DateAgeText(const QDateTime& time, const QDateTime& now);

// The dial frequency math of the Radio tab from AirMail's radio settings:
// on failure the error text, else one line for Pactor 2 and one for Pactor 3,
// "P2,   Dial Frequency = Pactor Frequency - 1500   (USB)" (no offset part
// for an offset of 0).
QString RadioDialMathText(bool ok, const RadioTuning& tuning);

// A folder picker's path with the system's separators (`separator`, "\\" on
// Windows): Qt's picker gives "C:/Program Files/AirMail" there.
QString FolderPathNative(const QString& path, QChar separator);

class frmOptions : public QObject {
    Q_OBJECT
public:
    struct Services {
        frmMain& main;        // the settings record, Update, the views, the clock
        AirMail& airmail;     // AirMail's profile, systems, stations, radio settings
        Position& position;   // the position label
        const ITextMetrics& metrics;
        QLocale locale = QLocale::system();  // number boxes, as in the profile
    };
    explicit frmOptions(const Services& services, QObject* parent = nullptr);

    static constexpr const char* kCaption = "Tidewell - Options ";
    enum Tab : int { TabAirMail = 0, TabPropagation, TabStation, TabAntenna, TabRadio, TabHamStation };
    static QStringList TabCaptions();
    // The tab an Options menu item opens ("mnuOptionsRadio" gives 4); -1 for others.
    static int TabOfMenu(const QString& menuItem);

    // --- controls ---
    // AirMail tab
    OptionControl chkAirMailStartup, chkAirMailResize;
    OptionControl txtAirMailDirectoryData, txtAirMailDirectoryProgram;
    OptionControl lblAirMailVersion;
    OptionControl chkAirmailLatLonCheck, txtAirmailLatLonCheckDays, lblAirMailLatLon;
    OptionControl chkAirmailLastConnect, txtAirmailLastConnect;
    OptionControl lblProfileFile;  // the settings file of this run (m_sProfileFile)
    // Propagation tab; the model buttons by model number (index 0 unused)
    std::array<OptionControl, 4> optPropagationModel;
    OptionControl txtPropagationNoiseLevel, chkPropagationSunSpotNumber, txtPropagationSunSpotNumber;
    OptionControl txtPropagationTakeoffAngle, chkPropagationAdditionalData;
    // Station tab
    OptionControl optStationSelectedStations, optStationAllStations;
    OptionControl txtStationTopFrequencies, txtStationTopStations;
    OptionControl chkStationHighestFrequency, txtStationHighestSnrRange, lblStationHighestSnrRange;
    OptionControl cmbStationPactorMode;
    OptionControl chkStationHistoryRanking, txtStationHistoryDays;
    OptionControl chkStationNextAfterNoAnswer;
    // Antenna tab
    OffsetEditor offsets;
    // Radio tab
    OptionControl chkRadioFrequency, lblRadioFrequency;
    // Below the tabs
    Control cmdDefault, cmdOK, cmdCancel, cmdApply;
    Control tabBox;  // the tab control's place (twips)
    int tab = TabAirMail;

    // How the window lays the general tabs out: each control with its tab,
    // framed box and the label beside it, in order.  Option buttons of one
    // box form one group.
    enum class Kind { Check, Option, Text, Label, Combo };
    struct Field {
        QString name;
        Kind kind;
        int tab;
        QString box;
        QString label;  // the text beside it, or empty
        OptionControl* control;
    };
    QVector<Field> Fields();
    OptionControl* FieldByName(const QString& name);

    // --- the plug-ins of the composition root ---
    // Loads the Ham Station tab (OptionsLoad calls it with headerOnly set:
    // the date label only); null: the tab stays as it is.
    std::function<void(bool headerOnly)> HamStationLoad;
    // The Ham Station tab's model, which the window shows as tab 5 (null: an
    // empty page).
    HamStation* hamStation = nullptr;
    // The folder picker: the chosen full path, or empty when cancelled.
    std::function<QString(const QString& path, const QString& title)> FolderBrowse;

    // --- state ---
    // The dialog is loaded from the first opening until OK or Cancel.
    bool Loaded() const { return m_loaded; }

    // --- events ---
    // An Options menu item: loads the dialog when it is not loaded (an open
    // one keeps its unsaved edits), selects the tab and shows it centred.
    void ShowTab(int tab);
    // The same, the window's outer top left corner placed at (left, top),
    // screen twips (the block diagram's buttons), instead of centred.
    void ShowTabAt(int tab, int left, int top);
    // Where the window asked to be shown is to go (twips), while it is being
    // shown by ShowTabAt; nothing: centred.
    std::optional<QPoint> PlaceAt() const { return m_placeAt; }
    // The user ticked or cleared a check box, or selected an option button;
    // the click rules follow.
    void SetChecked(OptionControl& control, bool value);
    void SelectOption(OptionControl& control);
    void SetText(OptionControl& control, const QString& text);
    void SetListIndex(OptionControl& control, int index);
    // A click into a folder box: the folder picker with the box's text and
    // tooltip as title.
    void FolderClick(OptionControl& box);
    void cmdDefault_Click();
    void cmdOK_Click();
    // Also Esc and closing the window: closes the dialog without taking
    // anything over.
    void cmdCancel_Click();
    // Closes the dialog (Cancel, OK, the main window's exit).
    void Unload();
    void cmdApply_Click();
    // The window's inner size in twips: buttons at the bottom right, the tab
    // control above them.
    void Form_Resize(int innerWidth, int innerHeight, bool minimized);
    static constexpr int kDesignWidth = 11400;
    static constexpr int kDesignHeight = 8200;

    // --- procedures ---
    void OptionsLoad();
    // False, after a message naming the field, when a number box that is
    // taken over holds no number; then nothing has been taken over.
    bool OptionsSave();
    void OptionsUpdate();
    void RadioDialMath();

signals:
    void changed();
    void showRequested();   // show centred and to the front
    void unloadRequested(); // OK or Cancel: close the window
    void focusRequested(const QString& controlName);

private:
    std::optional<QPoint> m_placeAt;
    void Click(OptionControl& control);
    void LoadVersion();
    void LoadPosition();
    void ButtonsFollowMain();

    frmMain& m_main;
    AirMail& m_airmail;
    Position& m_position;
    QLocale m_locale;
    bool m_loaded = false;
};

}  // namespace tw
