#include "app/frmOptions.h"

#include <QDir>

#include <cmath>

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "app/frmMain.h"
#include "selection/Evaluate.h"
#include "settings/NumberText.h"
#include "settings/SettingsProfile.h"
#include "views/PropagationDetails.h"
#include "views/PropagationHours.h"

namespace tw {

namespace {
void Init(OptionControl& c, const char* caption, const char* toolTip) {
    c.caption = QString::fromUtf8(caption);
    c.toolTip = QString::fromUtf8(toolTip);
}
Control Button(const char* caption, const char* toolTip, int left) {
    Control c;
    c.caption = QString::fromLatin1(caption);
    c.toolTip = QString::fromLatin1(toolTip);
    c.left = left;
    c.width = 1095;
    c.height = 375;
    return c;
}
qint64 Floor(qint64 seconds, qint64 unit) { return seconds >= 0 ? seconds / unit : -((-seconds + unit - 1) / unit); }
}  // namespace

QString DateAgeText(const QDateTime& time, const QDateTime& now) {
    const QDateTime from = time.toUTC();
    const QDateTime to = now.toUTC();
    const qint64 days = CalendarDaysBetween(from, to);
    if (days != 0) return QString::number(days) + QStringLiteral(" days");
    const qint64 a = from.toSecsSinceEpoch();
    const qint64 b = to.toSecsSinceEpoch();
    const qint64 hours = Floor(b, 3600) - Floor(a, 3600);
    if (hours != 0) return QString::number(hours) + QStringLiteral(" hours");
    return QString::number(Floor(b, 60) - Floor(a, 60)) + QStringLiteral(" minutes");
}

QString RadioDialMathText(bool ok, const RadioTuning& tuning) {
    if (!ok) return tuning.sError;
    const auto line = [](const char* pactor, float offset, const QString& mode) {
        QString text = QString::fromLatin1(pactor) + QStringLiteral(",   Dial Frequency = Pactor Frequency");
        if (offset != 0.0f)
            text += (offset < 0 ? QStringLiteral(" - ") : QStringLiteral(" + ")) +
                    QString::number(std::lround(std::fabs(offset)));
        return text + QStringLiteral("   (") + mode + QLatin1Char(')');
    };
    return line("P2", tuning.fP2Offset, tuning.sP2Mode) + QLatin1Char('\n') +
           line("P3", tuning.fP3Offset, tuning.sP3Mode);
}

frmOptions::frmOptions(const Services& services, QObject* parent)
    : QObject(parent),
      offsets(services.airmail, services.metrics),
      m_main(services.main),
      m_airmail(services.airmail),
      m_position(services.position),
      m_locale(services.locale) {
    Init(chkAirMailStartup, "Start AirMail",
         "Start AirMail Program and Open Termainl Window when Tidewell Starts Up");
    Init(chkAirMailResize, "Autosize Wnds", "Automatically Resize Airmail and Terminal Windows for easy viewing");
    Init(txtAirMailDirectoryData, "", "AirMail's Data Folder");
    Init(txtAirMailDirectoryProgram, "", "AirMail's Program Folder");
    Init(lblAirMailVersion, "", "AirMail's Current Version Number");
    Init(chkAirmailLatLonCheck, "Check Days",
         "Display Warning Message if Latitude and Longitude is older than specified number of days");
    Init(txtAirmailLatLonCheckDays, "", "Number of Days");
    Init(lblAirMailLatLon, "", "AirMail's Position Report Lat/Lon used by Propagation Model");
    Init(chkAirmailLastConnect, "Check Time", "Check Base Station Last Connected to Central Time");
    Init(txtAirmailLastConnect, "",
         "Time Limit since Base Station Last Connection to Central Server (mim)");
    Init(lblProfileFile, "", "The file Tidewell keeps its settings in");
    Init(optPropagationModel[ModelRec533], "REC533",
         "ITU-RS Recommendation 533, Simplier Model but appears the best");
    Init(optPropagationModel[ModelVoacap], "VOACAP",
         "Voice of America Coverage Analysis Program, Improved Low and High Frequency Model");
    Init(optPropagationModel[ModelIcepac], "ICEPAC",
         "Ionospheric Communications Enhanced Profile Analysis and Circuit Prediction, AirMail's Model");
    Init(txtPropagationNoiseLevel, "",
         "Man Made Noise, -140 Industrial, -145 residential, -150 rural. -163 Remote, AirMail's is -145");
    Init(chkPropagationSunSpotNumber, "Auto", "Automatically use AirMail's Sun Spot Number");
    Init(txtPropagationSunSpotNumber, "", "Sun Spot Number, 10 Low Solar Activity, 120 High Solar Activity");
    Init(txtPropagationTakeoffAngle, "",
         "Minimun Takeoff Angle of Radio Wave, same angle for Tx and Rx,  0-40 (deg), AirMail's is .1");
    Init(chkPropagationAdditionalData, "Detailed Data", "Display Detailed Progagation Data");
    Init(optStationSelectedStations, "Selected Stations", "Use Only the Select AirMail's Stations");
    Init(optStationAllStations, "All Stations", "Use All of the AirMail's Stations");
    Init(txtStationTopFrequencies, "", "Number of Top Frequencies for each Station");
    Init(txtStationTopStations, "", "Number of Top Stations");
    Init(chkStationHighestFrequency, "Highest Possible Frequency",
         "Pick the Highest Possible Frequencies within the Snr Range of Best Snr for each Station");
    Init(txtStationHighestSnrRange, "", "Highest Frequency Snr Range (dB)");
    Init(lblStationHighestSnrRange, "Snr Range", "");
    lblStationHighestSnrRange.text = lblStationHighestSnrRange.caption;
    Init(cmbStationPactorMode, "", "Pactor Frequency Filter");
    cmbStationPactorMode.items = {QStringLiteral("Only P3 Frequencies"), QStringLiteral("No P3 Frequencies"),
                                  QStringLiteral("Any Frequency")};
    Init(chkStationHistoryRanking, "History Ranking",
         "Rank the Stations by the Chance of a Connection: the Prediction's Reliability weighed with "
         "your own Calls at this Hour in AirMail's Log");
    Init(txtStationHistoryDays, "",
         "Days of AirMail's Log that count for the Log Column and the Ranking");
    Init(chkStationNextAfterNoAnswer, "Next Station After No Answer",
         "When a Station does not Answer, Call the Next Station instead of its Next Frequency");
    Init(chkRadioFrequency, "Display Dial Frequency", "Display Dial Frequency along with Pactor Frequency");
    Init(lblRadioFrequency, "", "Dial Frequency Math");
    cmdDefault = Button("Default", "Default Settings", 120);
    cmdOK = Button("OK", "", 0);
    cmdCancel = Button("Cancel", "", 0);
    cmdApply = Button("Apply", "", 0);
    Form_Resize(kDesignWidth, kDesignHeight, false);
    connect(&offsets, &OffsetEditor::changed, this, &frmOptions::changed);
    // OK and Apply wait while the main window builds its list from the record.
    connect(&m_main, &frmMain::controlsChanged, this, &frmOptions::ButtonsFollowMain);
}

QStringList frmOptions::TabCaptions() {
    return {QStringLiteral("AirMail"), QStringLiteral("Propagation"), QStringLiteral("Station"),
            QStringLiteral("Antenna"), QStringLiteral("Radio"), QStringLiteral("Ham Station")};
}

int frmOptions::TabOfMenu(const QString& menuItem) {
    static const QStringList items = {QStringLiteral("mnuOptionsAirmail"), QStringLiteral("mnuOptionsPropagation"),
                                      QStringLiteral("mnuOptionsStations"), QStringLiteral("mnuOptionsOffsets"),
                                      QStringLiteral("mnuOptionsRadio"), QStringLiteral("mnuOptionsHam")};
    return static_cast<int>(items.indexOf(menuItem));
}

QVector<frmOptions::Field> frmOptions::Fields() {
    const auto s = [](const char* text) { return QString::fromLatin1(text); };
    return {
        {s("chkAirMailStartup"), Kind::Check, TabAirMail, s("Startup"), {}, &chkAirMailStartup},
        {s("chkAirMailResize"), Kind::Check, TabAirMail, s("Startup"), {}, &chkAirMailResize},
        {s("txtAirMailDirectoryData"), Kind::Text, TabAirMail, s("Folders"), s("Data"), &txtAirMailDirectoryData},
        {s("txtAirMailDirectoryProgram"), Kind::Text, TabAirMail, s("Folders"), s("Program"),
         &txtAirMailDirectoryProgram},
        {s("lblAirMailVersion"), Kind::Label, TabAirMail, s("Version Number"), {}, &lblAirMailVersion},
        {s("chkAirmailLatLonCheck"), Kind::Check, TabAirMail, s("Latitude and Longitude"), {},
         &chkAirmailLatLonCheck},
        {s("txtAirmailLatLonCheckDays"), Kind::Text, TabAirMail, s("Latitude and Longitude"), {},
         &txtAirmailLatLonCheckDays},
        {s("lblAirMailLatLon"), Kind::Label, TabAirMail, s("Latitude and Longitude"), {}, &lblAirMailLatLon},
        {s("chkAirmailLastConnect"), Kind::Check, TabAirMail, s("Station/Server Connection"), {},
         &chkAirmailLastConnect},
        {s("txtAirmailLastConnect"), Kind::Text, TabAirMail, s("Station/Server Connection"), {},
         &txtAirmailLastConnect},
        {s("lblProfileFile"), Kind::Label, TabAirMail, s("Folders"), s("Settings"), &lblProfileFile},
        {s("optPropagationModel(3)"), Kind::Option, TabPropagation, s("Model Options"), s("Model"),
         &optPropagationModel[ModelRec533]},
        {s("optPropagationModel(2)"), Kind::Option, TabPropagation, s("Model Options"), {},
         &optPropagationModel[ModelVoacap]},
        {s("optPropagationModel(1)"), Kind::Option, TabPropagation, s("Model Options"), {},
         &optPropagationModel[ModelIcepac]},
        {s("txtPropagationNoiseLevel"), Kind::Text, TabPropagation, s("Model Options"), s("Noise Level"),
         &txtPropagationNoiseLevel},
        {s("chkPropagationSunSpotNumber"), Kind::Check, TabPropagation, s("Model Options"), s("Sunspot Number"),
         &chkPropagationSunSpotNumber},
        {s("txtPropagationSunSpotNumber"), Kind::Text, TabPropagation, s("Model Options"), {},
         &txtPropagationSunSpotNumber},
        {s("txtPropagationTakeoffAngle"), Kind::Text, TabPropagation, s("Model Options"), s("Takeoff Angle"),
         &txtPropagationTakeoffAngle},
        {s("chkPropagationAdditionalData"), Kind::Check, TabPropagation, s("Display Options"), {},
         &chkPropagationAdditionalData},
        {s("optStationSelectedStations"), Kind::Option, TabStation, s("Display Options"), {},
         &optStationSelectedStations},
        {s("optStationAllStations"), Kind::Option, TabStation, s("Display Options"), {}, &optStationAllStations},
        {s("txtStationTopFrequencies"), Kind::Text, TabStation, s("Display Options"), s("Top Frequencies"),
         &txtStationTopFrequencies},
        {s("txtStationTopStations"), Kind::Text, TabStation, s("Display Options"), s("Top Stations"),
         &txtStationTopStations},
        {s("chkStationHighestFrequency"), Kind::Check, TabStation, s("Select Options"), {},
         &chkStationHighestFrequency},
        {s("lblStationHighestSnrRange"), Kind::Label, TabStation, s("Select Options"), {},
         &lblStationHighestSnrRange},
        {s("txtStationHighestSnrRange"), Kind::Text, TabStation, s("Select Options"), {},
         &txtStationHighestSnrRange},
        {s("cmbStationPactorMode"), Kind::Combo, TabStation, s("Select Options"), s("HAM's"),
         &cmbStationPactorMode},
        {s("chkStationHistoryRanking"), Kind::Check, TabStation, s("AirMail Log"), {},
         &chkStationHistoryRanking},
        {s("txtStationHistoryDays"), Kind::Text, TabStation, s("AirMail Log"), s("History Days"),
         &txtStationHistoryDays},
        {s("chkStationNextAfterNoAnswer"), Kind::Check, TabStation, s("Connect Options"), {},
         &chkStationNextAfterNoAnswer},
        {s("chkRadioFrequency"), Kind::Check, TabRadio, s("Display Options"), {}, &chkRadioFrequency},
        {s("lblRadioFrequency"), Kind::Label, TabRadio, s("Display Options"), {}, &lblRadioFrequency},
    };
}

OptionControl* frmOptions::FieldByName(const QString& name) {
    for (const Field& f : Fields())
        if (f.name == name) return f.control;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Opening and closing

void frmOptions::ShowTabAt(int index, int left, int top) {
    if (index < 0 || index >= TabCaptions().size()) return;
    m_placeAt = QPoint(left, top);
    ShowTab(index);
    m_placeAt.reset();
}

void frmOptions::ShowTab(int index) {
    if (index < 0 || index >= TabCaptions().size()) return;
    if (!m_loaded) {
        m_loaded = true;
        OptionsLoad();
    }
    tab = index;
    ButtonsFollowMain();
    emit changed();
    emit showRequested();
}

void frmOptions::Unload() {
    if (!m_loaded) return;
    m_loaded = false;
    offsets.Unload();
    emit unloadRequested();
}

// OK and Apply wait while the main window builds its list; Default also
// while the connection process walks it, as File > Default does.
void frmOptions::ButtonsFollowMain() {
    const bool free = !m_main.Updating();
    const bool defaults = free && !m_main.ConnectRunning();
    if (cmdOK.enabled == free && cmdDefault.enabled == defaults) return;
    cmdOK.enabled = cmdApply.enabled = free;
    cmdDefault.enabled = defaults;
    emit changed();
}

void frmOptions::Form_Resize(int innerWidth, int innerHeight, bool minimized) {
    if (minimized) return;
    const int top = innerHeight - 120 - cmdApply.height;
    cmdApply.left = innerWidth - 120 - cmdApply.width;
    cmdCancel.left = cmdApply.left - 120 - cmdCancel.width;
    cmdOK.left = cmdCancel.left - 120 - cmdOK.width;
    for (Control* c : {&cmdDefault, &cmdOK, &cmdCancel, &cmdApply}) c->top = top;
    tabBox.left = 0;
    tabBox.top = 0;
    tabBox.width = innerWidth;
    tabBox.height = std::max(0, top - 120);
}

// ---------------------------------------------------------------------------
// The controls

void frmOptions::SetChecked(OptionControl& control, bool value) {
    if (control.value == value) return;
    control.value = value;
    Click(control);
    emit changed();
}

void frmOptions::SelectOption(OptionControl& control) {
    // The buttons of one box form one group.
    for (auto& model : optPropagationModel)
        if (&control == &model)
            for (auto& other : optPropagationModel) other.value = &other == &control;
    if (&control == &optStationAllStations || &control == &optStationSelectedStations) {
        optStationAllStations.value = &control == &optStationAllStations;
        optStationSelectedStations.value = !optStationAllStations.value;
    }
    emit changed();
}

void frmOptions::SetText(OptionControl& control, const QString& text) {
    if (control.text == text) return;
    control.text = text;
    emit changed();
}

void frmOptions::SetListIndex(OptionControl& control, int index) {
    if (control.listIndex == index) return;
    control.listIndex = index;
    emit changed();
}

// The click rules: the dependent boxes follow their check box.
void frmOptions::Click(OptionControl& control) {
    if (&control == &chkAirmailLatLonCheck) {
        txtAirmailLatLonCheckDays.visible = control.value;
    } else if (&control == &chkAirmailLastConnect) {
        txtAirmailLastConnect.visible = control.value;
    } else if (&control == &chkPropagationSunSpotNumber) {
        txtPropagationSunSpotNumber.enabled = !control.value;
    } else if (&control == &chkStationHighestFrequency) {
        txtStationHighestSnrRange.visible = lblStationHighestSnrRange.visible = control.value;
    } else if (&control == &chkRadioFrequency) {
        if (control.value) RadioDialMath();
        lblRadioFrequency.visible = control.value;
    }
}

QString FolderPathNative(const QString& path, QChar separator) {
    QString native = path;
    if (separator != QLatin1Char('/')) native.replace(QLatin1Char('/'), separator);
    return native;
}

void frmOptions::FolderClick(OptionControl& box) {
    if (!FolderBrowse) return;
    const QString path = FolderBrowse(box.text, box.toolTip);
    if (!path.isEmpty()) SetText(box, FolderPathNative(path, QDir::separator()));
}

// ---------------------------------------------------------------------------
// Load, save, update

void frmOptions::OptionsLoad() {
    const Settings& s = m_main.settings;
    const auto check = [this](OptionControl& c, bool value) {
        c.value = value;
        Click(c);
    };
    // AirMail tab
    txtAirMailDirectoryData.text = s.m_sAirMailDirectoryData;
    txtAirMailDirectoryProgram.text = s.m_sAirMailDirectoryProgram;
    check(chkAirmailLatLonCheck, s.m_bAirMailLatLonCheck);
    txtAirmailLatLonCheckDays.text = IntToText(s.m_iAirMailLatLonCheckDays);
    check(chkAirmailLastConnect, s.m_bAirMailLastConnectCheck);
    txtAirmailLastConnect.text = IntToText(s.m_iAirMailLastConnectCheckMinutes);
    check(chkAirMailResize, s.m_bAirMailResize);
    check(chkAirMailStartup, s.m_bAirMailStartup);
    LoadVersion();
    LoadPosition();
    lblProfileFile.text = s.m_sProfileFile;
    // Propagation tab; a stored model outside 1 to 3 selects no button (and
    // stays as it is unless one is chosen).
    check(chkPropagationAdditionalData, s.m_bPropagationAdditionalData);
    for (int model = 1; model < 4; ++model) optPropagationModel[model].value = s.m_iPropagationModel == model;
    txtPropagationNoiseLevel.text = FloatToText(s.m_fPropagationNoiseLevel, m_locale);
    txtPropagationSunSpotNumber.text = FloatToText(s.m_fPropagationSunSpotNumber, m_locale);
    txtPropagationTakeoffAngle.text = FloatToText(s.m_fPropagationTakeoffAngle, m_locale);
    check(chkPropagationSunSpotNumber, s.m_bPropagationSunSpotNumber);
    // Station tab; a stored filter outside 0 to 2 shows an empty list.
    optStationAllStations.value = s.m_bStationAllStations;
    optStationSelectedStations.value = !s.m_bStationAllStations;
    check(chkStationHighestFrequency, s.m_bStationHighestFrequency);
    txtStationHighestSnrRange.text = FloatToText(s.m_fStationHighestSnrRange, m_locale);
    cmbStationPactorMode.listIndex =
        s.m_iStationPactorMode >= 0 && s.m_iStationPactorMode < cmbStationPactorMode.items.size()
            ? s.m_iStationPactorMode
            : -1;
    txtStationTopFrequencies.text = IntToText(s.m_iStationTopFrequencies);
    txtStationTopStations.text = IntToText(s.m_iStationTopStations);
    check(chkStationHistoryRanking, s.m_bStationHistoryRanking);
    txtStationHistoryDays.text = IntToText(s.m_iStationHistoryDays);
    check(chkStationNextAfterNoAnswer, s.m_bStationNextAfterNoAnswer);
    // Antenna tab
    offsets.Load(s.m_bStationOffset);
    // Radio tab
    check(chkRadioFrequency, s.m_bRadioFrequency);
    if (!chkRadioFrequency.value) RadioDialMath();
    // Ham Station tab
    if (HamStationLoad) HamStationLoad(true);  // the date label only; Check runs the rest
    emit changed();
}

void frmOptions::LoadVersion() {
    const QString version = m_airmail.AirMailGetProfileString(
        QStringLiteral("Airmail.ini"), QStringLiteral("Settings"), QStringLiteral("Last Program Version"), false);
    lblAirMailVersion.text = QStringLiteral("Tested Version 3.2.022\nCurrent Version ") +
                             (version.isEmpty() ? QStringLiteral("N/A") : version);
}

void frmOptions::LoadPosition() {
    std::optional<PositionFix> fix = m_position.LatLonGetCurrentPositionReportCurrent(false);
    if (!fix) fix = m_position.LatLonGetCurrentPositionReport(false);
    if (fix) {
        lblAirMailLatLon.text = QStringLiteral("Lat ") + LatLonEncodeLatitude(fix->latitude) +
                                QStringLiteral(",  Lon ") + LatLonEncodeLongitude(fix->longitude) +
                                QStringLiteral("\nPosition is ") + DateAgeText(fix->time, m_main.TimeGetZulu()) +
                                QStringLiteral(" old.");
        return;
    }
    fix = m_position.LatLonGetCurrentPropagation(false);
    lblAirMailLatLon.text = fix ? QStringLiteral("Lat ") + LatLonEncodeLatitude(fix->latitude) +
                                      QStringLiteral("\nLon ") + LatLonEncodeLongitude(fix->longitude)
                                : QStringLiteral("Unable to get Lat/Lon data.");
}

void frmOptions::RadioDialMath() {
    RadioTuning tuning;
    const bool ok = RadioTuningInfo(m_airmail, tuning);
    lblRadioFrequency.text = RadioDialMathText(ok, tuning);
}

// Every number box that is taken over is read first; one that holds no
// number (letters, nothing) refuses the whole change with a message naming
// it, so no setting silently becomes 0.  Any number is taken over as typed.
bool frmOptions::OptionsSave() {
    struct Number {
        OptionControl* box;
        int tab;
        const char* name;
        bool integer;
        double value = 0;
    };
    QVector<Number> numbers;
    if (chkAirmailLatLonCheck.value)
        numbers.append({&txtAirmailLatLonCheckDays, TabAirMail, "Check Days", true});
    numbers.append({&txtAirmailLastConnect, TabAirMail, "Check Time", true});
    numbers.append({&txtPropagationNoiseLevel, TabPropagation, "Noise Level", false});
    numbers.append({&txtPropagationSunSpotNumber, TabPropagation, "Sunspot Number", false});
    numbers.append({&txtPropagationTakeoffAngle, TabPropagation, "Takeoff Angle", false});
    numbers.append({&txtStationHighestSnrRange, TabStation, "Snr Range", false});
    numbers.append({&txtStationTopFrequencies, TabStation, "Top Frequencies", true});
    numbers.append({&txtStationTopStations, TabStation, "Top Stations", true});
    numbers.append({&txtStationHistoryDays, TabStation, "History Days", true});
    for (Number& n : numbers) {
        bool ok = false;
        n.value = n.integer ? IntFromNumberText(n.box->text, ok, m_locale) : FloatFromText(n.box->text, ok, m_locale);
        if (ok) continue;
        tab = n.tab;
        emit changed();
        m_airmail.ActivateMain();
        MessageRequest box;
        box.title = QString::fromLatin1(kCaption).trimmed();
        box.text = QStringLiteral("The %1 tab's \"%2\" box holds \"%3\", which is not a number.\n\n"
                                  "Please type a number; no setting has been changed.")
                       .arg(TabCaptions()[n.tab], QString::fromLatin1(n.name), n.box->text);
        box.icon = MsgIcon::Exclamation;
        m_airmail.ui().MessageBox(box);
        for (const Field& f : Fields())
            if (f.control == n.box) emit focusRequested(f.name);
        return false;
    }
    const auto value = [&numbers](const OptionControl& box) {
        for (const Number& n : numbers)
            if (n.box == &box) return n.value;
        return 0.0;
    };

    Settings& s = m_main.settings;
    // AirMail tab: the days only while "Check Days" is ticked, the minutes always.
    s.m_sAirMailDirectoryData = txtAirMailDirectoryData.text;
    s.m_sAirMailDirectoryProgram = txtAirMailDirectoryProgram.text;
    s.m_bAirMailLatLonCheck = chkAirmailLatLonCheck.value;
    if (s.m_bAirMailLatLonCheck) s.m_iAirMailLatLonCheckDays = static_cast<qint32>(value(txtAirmailLatLonCheckDays));
    s.m_bAirMailLastConnectCheck = chkAirmailLastConnect.value;
    s.m_iAirMailLastConnectCheckMinutes = static_cast<qint32>(value(txtAirmailLastConnect));
    s.m_bAirMailResize = chkAirMailResize.value;
    s.m_bAirMailStartup = chkAirMailStartup.value;
    // Propagation tab: ICEPAC sets the sporadic E factor to 0.7, VOACAP to 0,
    // REC533 leaves it as it is.
    s.m_bPropagationAdditionalData = chkPropagationAdditionalData.value;
    for (int model = 1; model < 4; ++model) {
        if (!optPropagationModel[model].value) continue;
        s.m_iPropagationModel = model;
        if (model == ModelIcepac) s.m_fPropagationLayerAdjustEs = 0.7f;
        if (model == ModelVoacap) s.m_fPropagationLayerAdjustEs = 0.0f;
    }
    s.m_fPropagationNoiseLevel = static_cast<float>(value(txtPropagationNoiseLevel));
    s.m_bPropagationSunSpotNumber = chkPropagationSunSpotNumber.value;
    s.m_fPropagationSunSpotNumber = static_cast<float>(value(txtPropagationSunSpotNumber));
    s.m_fPropagationTakeoffAngle = static_cast<float>(value(txtPropagationTakeoffAngle));
    // Station tab
    s.m_bStationAllStations = optStationAllStations.value;
    s.m_bStationHighestFrequency = chkStationHighestFrequency.value;
    s.m_fStationHighestSnrRange = static_cast<float>(value(txtStationHighestSnrRange));
    if (cmbStationPactorMode.listIndex >= 0) s.m_iStationPactorMode = cmbStationPactorMode.listIndex;
    s.m_iStationTopFrequencies = static_cast<qint32>(value(txtStationTopFrequencies));
    s.m_iStationTopStations = static_cast<qint32>(value(txtStationTopStations));
    s.m_bStationHistoryRanking = chkStationHistoryRanking.value;
    s.m_iStationHistoryDays = static_cast<qint32>(value(txtStationHistoryDays));
    s.m_bStationNextAfterNoAnswer = chkStationNextAfterNoAnswer.value;
    // Antenna tab: the table goes into the profile file at once.
    s.m_bStationOffset = offsets.useOffsets;
    offsets.Save();
    // Radio tab
    s.m_bRadioFrequency = chkRadioFrequency.value;
    return true;
}

// The list is rebuilt with the new settings.  The update hides the views, so
// those that were open come back with their own station recomputed; the
// best connect time view is not rebuilt (it runs for every station).
void frmOptions::OptionsUpdate() {
    frmPropagationDetails* details = m_main.propagationDetails;
    frmPropagationHours* hours = m_main.propagationHours;
    const bool detailsOpen = details && details->Visible();
    const bool hoursOpen = hours && hours->Visible();
    m_main.Update(false);
    if (detailsOpen) {
        details->Show();
        details->Update(QString(), QString(), m_main.TimeGetZulu());
    }
    if (hoursOpen) {
        hours->Show();
        hours->Update(QString(), QString(), m_main.TimeGetZulu());
    }
}

// ---------------------------------------------------------------------------
// The buttons

// The defaults on the record itself, at once (Cancel keeps them); the list
// follows at the main window's next update.  Not while the list is built or
// walked by the connection process, as File > Default.
void frmOptions::cmdDefault_Click() {
    if (!cmdDefault.enabled || m_main.ConnectRunning()) return;
    m_main.Initialize();
    OptionsLoad();
}

void frmOptions::cmdOK_Click() {
    if (!cmdOK.enabled || !OptionsSave()) return;
    OptionsUpdate();
    Unload();
}

// Nothing is taken over: what was not applied is dropped, what Apply or
// Default did stays.
void frmOptions::cmdCancel_Click() { Unload(); }

void frmOptions::cmdApply_Click() {
    if (!cmdApply.enabled || !OptionsSave()) return;
    OptionsLoad();
    OptionsUpdate();
}

}  // namespace tw
