#include "selection/MainState.h"

namespace tw {

QDateTime TimeGetZulu(const platform::IClock& clock) {
    return QDateTime::fromSecsSinceEpoch(clock.NowUtc(), Qt::UTC);
}

MainState::MainState(const Services& services)
    : best(settings, services.ui, services.metrics, QString::fromLatin1(kCaption)),
      m_ui(services.ui),
      m_profile(services.profile),
      m_clock(services.clock) {}

}  // namespace tw
