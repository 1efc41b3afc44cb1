#include "ui/HamStationPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/GridWidget.h"
#include "views/HamStation.h"

namespace tw {

HamStationPage::HamStationPage(HamStation& model, const ITextMetrics& metrics, QWidget* parent)
    : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("HamStationPage"));
    m_label = new QLabel(this);
    m_gridAirMail = new GridWidget(model.grdHamStationAirMail, metrics, this);
    m_gridFile = new GridWidget(model.grdHamStationFile, metrics, this);
    m_check = new QPushButton(QStringLiteral("&Check"), this);
    m_check->setToolTip(model.cmdHamStationCheck.toolTip);
    m_info = new QPushButton(QStringLiteral("&Info"), this);
    m_info->setToolTip(model.cmdHamStationInfo.toolTip);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_label, 1);
    buttons->addWidget(m_info);
    buttons->addWidget(m_check);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_gridAirMail, 1);
    layout->addWidget(m_gridFile, 1);

    for (GridWidget* grid : {m_gridAirMail, m_gridFile}) {
        Grid& g = grid->grid();
        grid->onClick = [this, &g](int x, int y) { m_model.grdHamStation_Click(g, x, y); };
        grid->onDblClick = [this, &g](int x, int y) { m_model.grdHamStation_DblClick(g, x, y); };
    }
    connect(m_check, &QPushButton::clicked, this, [this] { m_model.cmdHamStationCheck_Click(); });
    connect(m_info, &QPushButton::clicked, this, [this] { m_model.cmdHamStationInfo_Click(); });
    connect(&m_model, &HamStation::changed, this, &HamStationPage::Sync);
    Sync();
}

void HamStationPage::Sync() {
    m_label->setText(m_model.lblHamStation.caption);
    m_info->setVisible(m_model.cmdHamStationInfoVisible);
}

}  // namespace tw
