#include "settings/SettingsProfile.h"

#include <cmath>
#include <limits>
#include <variant>

namespace tw {

namespace {

using MemberPtr = std::variant<QString Settings::*, bool Settings::*, qint32 Settings::*,
                               float Settings::*>;

struct Member {
    const char* name;
    MemberPtr ptr;
};

#define TW_MEMBER(m) Member{#m, &Settings::m}

// Every member, in declaration order.
const Member kMembers[] = {
    TW_MEMBER(m_sAirMailDirectoryData),
    TW_MEMBER(m_sAirMailDirectoryProgram),
    TW_MEMBER(m_bAirMailLatLonCheck),
    TW_MEMBER(m_iAirMailLatLonCheckDays),
    TW_MEMBER(m_bAirMailLatLonEdit),
    TW_MEMBER(m_bAirMailLatLonEditPrompt),
    TW_MEMBER(m_bAirMailLastConnectCheck),
    TW_MEMBER(m_iAirMailLastConnectCheckMinutes),
    TW_MEMBER(m_bAirMailResize),
    TW_MEMBER(m_bAirMailStartup),
    TW_MEMBER(m_bAirMailStationCheck),
    TW_MEMBER(m_sProfileFile),
    TW_MEMBER(m_bPropagationAdditionalData),
    TW_MEMBER(m_bPropagationCombinedRuns),
    TW_MEMBER(m_bPropagationHourlyRefresh),
    TW_MEMBER(m_sPropagationIonCoefficients),
    TW_MEMBER(m_fPropagationLayerAdjustE),
    TW_MEMBER(m_fPropagationLayerAdjustEs),
    TW_MEMBER(m_fPropagationLayerAdjustF1),
    TW_MEMBER(m_fPropagationLayerAdjustF2),
    TW_MEMBER(m_iPropagationModel),
    TW_MEMBER(m_fPropagationMultipathDelay),
    TW_MEMBER(m_fPropagationMultipathPower),
    TW_MEMBER(m_fPropagationNoiseLevel),
    TW_MEMBER(m_fPropagationQIndex),
    TW_MEMBER(m_fPropagationReliability),
    TW_MEMBER(m_bPropagationSunSpotNumber),
    TW_MEMBER(m_fPropagationSunSpotNumber),
    TW_MEMBER(m_fPropagationTakeoffAngle),
    TW_MEMBER(m_fPropagationTimeShift),
    TW_MEMBER(m_bRadioFrequency),
    TW_MEMBER(m_bStationAllStations),
    TW_MEMBER(m_bStationHighestFrequency),
    TW_MEMBER(m_fStationHighestSnrRange),
    TW_MEMBER(m_bStationHistoryRanking),
    TW_MEMBER(m_iStationHistoryDays),
    TW_MEMBER(m_bStationNextAfterNoAnswer),
    TW_MEMBER(m_bStationOffset),
    TW_MEMBER(m_iStationPactorMode),
    TW_MEMBER(m_iStationTopFrequencies),
    TW_MEMBER(m_iStationTopStations),
};

#undef TW_MEMBER

struct ProfileKey {
    const char* section;
    const char* key;
    MemberPtr ptr;
};

// The stored members, in the order ProfileSave writes them.
const ProfileKey kKeys[] = {
    {"AirMail Data", "Directory Data", &Settings::m_sAirMailDirectoryData},
    {"AirMail Data", "Directory Program", &Settings::m_sAirMailDirectoryProgram},
    {"AirMail Data", "Lat/Lon Check", &Settings::m_bAirMailLatLonCheck},
    {"AirMail Data", "Lat/Lon Check Days", &Settings::m_iAirMailLatLonCheckDays},
    {"AirMail Data", "Last Connect Check", &Settings::m_bAirMailLastConnectCheck},
    {"AirMail Data", "Last Connect Check Minutes", &Settings::m_iAirMailLastConnectCheckMinutes},
    {"AirMail Data", "Resize", &Settings::m_bAirMailResize},
    {"AirMail Data", "Startup", &Settings::m_bAirMailStartup},
    {"Propagation Data", "Additional Data", &Settings::m_bPropagationAdditionalData},
    {"Propagation Data", "Combined Runs", &Settings::m_bPropagationCombinedRuns},
    {"Propagation Data", "Hourly Refresh", &Settings::m_bPropagationHourlyRefresh},
    {"Propagation Data", "Model", &Settings::m_iPropagationModel},
    {"Propagation Data", "Noise Level", &Settings::m_fPropagationNoiseLevel},
    {"Propagation Data", "SunSpot Option", &Settings::m_bPropagationSunSpotNumber},
    {"Propagation Data", "SunSpot Number", &Settings::m_fPropagationSunSpotNumber},
    {"Propagation Data", "Takeoff Angle", &Settings::m_fPropagationTakeoffAngle},
    {"Radio Data", "Frequency", &Settings::m_bRadioFrequency},
    {"Station Data", "All Stations", &Settings::m_bStationAllStations},
    {"Station Data", "Highest Frequency", &Settings::m_bStationHighestFrequency},
    {"Station Data", "Highest Snr Range", &Settings::m_fStationHighestSnrRange},
    {"Station Data", "History Ranking", &Settings::m_bStationHistoryRanking},
    {"Station Data", "History Days", &Settings::m_iStationHistoryDays},
    {"Station Data", "Next Station After No Answer", &Settings::m_bStationNextAfterNoAnswer},
    {"Station Data", "Offset", &Settings::m_bStationOffset},
    {"Station Data", "Pactor Mode", &Settings::m_iStationPactorMode},
    {"Station Data", "Top Frequencies", &Settings::m_iStationTopFrequencies},
    {"Station Data", "Top Stations", &Settings::m_iStationTopStations},
};

const QString kWindowSection = QStringLiteral("Window Data");

// The window's stored geometry, in whole twips; a size must be positive.
struct WindowKey {
    const char* key;
    bool size;
    int (IWindowGeometry::*get)() const;
    void (IWindowGeometry::*set)(int);
};
const WindowKey kWindowKeys[] = {
    {"Height", true, &IWindowGeometry::WindowHeight, &IWindowGeometry::SetWindowHeight},
    {"Left", false, &IWindowGeometry::WindowLeft, &IWindowGeometry::SetWindowLeft},
    {"Top", false, &IWindowGeometry::WindowTop, &IWindowGeometry::SetWindowTop},
    {"Width", true, &IWindowGeometry::WindowWidth, &IWindowGeometry::SetWindowWidth},
};


template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

QString Encode(const Settings& s, const MemberPtr& ptr, const QLocale& locale) {
    return std::visit(Overloaded{
                          [&](QString Settings::*m) { return s.*m; },
                          [&](bool Settings::*m) { return BooleanText(s.*m); },
                          [&](qint32 Settings::*m) { return IntToText(s.*m); },
                          [&](float Settings::*m) { return FloatToText(s.*m, locale); },
                      },
                      ptr);
}

// Stores the converted text; a text that does not convert leaves the member.
void Decode(Settings& s, const MemberPtr& ptr, const QString& text, const QLocale& locale) {
    bool ok = false;
    std::visit(Overloaded{
                   [&](QString Settings::*m) { s.*m = text; },
                   [&](bool Settings::*m) {
                       const bool v = BooleanFromText(text, ok, locale);
                       if (ok) s.*m = v;
                   },
                   [&](qint32 Settings::*m) {
                       const qint32 v = IntFromText(text, ok);
                       if (ok) s.*m = v;
                   },
                   [&](float Settings::*m) {
                       const float v = FloatFromText(text, ok, locale);
                       if (ok) s.*m = v;
                   },
               },
               ptr);
}

// A stored window value in whole twips; false when it is not a number that
// fits (or, for a size, not positive).
bool WindowValue(const QString& text, bool size, const QLocale& locale, int& twips) {
    bool ok = false;
    const float v = FloatFromText(text, ok, locale);
    if (!ok) return false;
    const double rounded = std::round(static_cast<double>(v));
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max()) {
        return false;
    }
    if (size && rounded <= 0) return false;
    twips = static_cast<int>(rounded);
    return true;
}

}  // namespace

void Initialize(Settings& settings, const QString& programFolder) {
    settings = Settings{};
    // The folder comes without a trailing separator; a native POSIX folder
    // gets "/" so that messages naming the file read naturally.  Any other is
    // a Windows folder, which Qt gives with "/" ("C:/Program Files/Tidewell"):
    // its separators become "\\" throughout, as Windows writes them.
    QString folder = programFolder;
    const bool posix = folder.startsWith(QLatin1Char('/'));
    const QChar sep = posix ? QLatin1Char('/') : QLatin1Char('\\');
    if (!posix) folder.replace(QLatin1Char('/'), sep);
    while (folder.endsWith(QLatin1Char('\\')) || (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))) {
        folder.chop(1);
    }
    if (folder == QLatin1String("/")) folder.clear();
    settings.m_sProfileFile = folder + sep + QLatin1String(kProfileFileName);
}

void ProfileRecall(Settings& settings, const ProfileAccess& profile, IWindowGeometry& window,
                   const QLocale& locale) {
    ProfileRecall(settings, profile, window, {}, locale);
}

void ProfileRecall(Settings& settings, const ProfileAccess& profile, IWindowGeometry& window,
                   const QVector<ProfileWindow>& others, const QLocale& locale) {
    const QString& file = settings.m_sProfileFile;
    for (const ProfileKey& k : kKeys) {
        const QString text = profile.Get(file, QLatin1String(k.section), QLatin1String(k.key));
        if (text.isEmpty()) continue;
        Decode(settings, k.ptr, text, locale);
    }
    QVector<ProfileWindow> windows = {{QString(), &window}};
    windows += others;
    for (const ProfileWindow& w : windows) {
        for (const WindowKey& k : kWindowKeys) {
            const QString text = profile.Get(file, kWindowSection, w.prefix + QLatin1String(k.key));
            int twips = 0;
            if (!text.isEmpty() && WindowValue(text, k.size, locale, twips)) (w.window->*k.set)(twips);
        }
    }
}

bool ProfileKeyOf(float Settings::*member, QString& section, QString& key) {
    for (const ProfileKey& k : kKeys) {
        if (k.ptr != MemberPtr(member)) continue;
        section = QLatin1String(k.section);
        key = QLatin1String(k.key);
        return true;
    }
    return false;
}

bool ProfileSave(const Settings& settings, ProfileAccess& profile, const IWindowGeometry& window,
                 IUserInterface& ui, const QLocale& locale) {
    return ProfileSave(settings, profile, window, ui, {}, locale);
}

bool ProfileSave(const Settings& settings, ProfileAccess& profile, const IWindowGeometry& window,
                 IUserInterface& ui, const QVector<ProfileWindow>& others, const QLocale& locale) {
    // Every key in one replace of the file: a failure leaves the file as it was.
    QVector<ProfileAccess::Entry> entries;
    for (const ProfileKey& k : kKeys)
        entries.push_back({QLatin1String(k.section), QLatin1String(k.key), Encode(settings, k.ptr, locale)});
    // Minimised or maximised: the last normal geometry stays in the file.
    const auto frame = [&entries](const QString& prefix, const IWindowGeometry& w) {
        if (!w.WindowStateNormal()) return;
        // Whole twips: the number encoding of a whole value is its digits.
        for (const WindowKey& k : kWindowKeys)
            entries.push_back({kWindowSection, prefix + QLatin1String(k.key), IntToText((w.*k.get)())});
    };
    frame(QString(), window);
    for (const ProfileWindow& w : others) frame(w.prefix, *w.window);
    if (profile.Write(settings.m_sProfileFile, entries)) return true;
    ProfileSaveError(settings, profile, ui);
    return false;
}

void ProfileSaveError(const Settings& settings, const ProfileAccess& profile, IUserInterface& ui) {
    MessageRequest request;
    request.text = QStringLiteral("Problem with initialization file ") + settings.m_sProfileFile +
                   QStringLiteral(", ") + SystemErrorText(profile.LastError());
    request.title = QStringLiteral("Tidewell");
    request.buttons = MsgButtons::Ok;
    request.icon = MsgIcon::Information;
    ui.MessageBox(request);
}

QStringList PrintSettings(const Settings& settings, const QVector<OffsetRow>& rows,
                          const QLocale& locale) {
    QStringList lines;
    for (const Member& m : kMembers) {
        lines << QLatin1String(m.name) + QLatin1Char('=') + Encode(settings, m.ptr, locale);
    }
    for (const OffsetRow& r : rows) {
        const QStringList fields = {r.sSystem,
                                    r.sStation,
                                    r.sFrequencies,
                                    FloatToText(r.fSnrOffset, locale),
                                    FloatToText(r.fBeamwidth, locale),
                                    FloatToText(r.fAzimuth, locale),
                                    IntToText(r.iStart),
                                    IntToText(r.iStop)};
        lines << QStringLiteral("OffsetRow=") + fields.join(QLatin1Char(','));
    }
    return lines;
}

}  // namespace tw
