#pragma once
// The colour key below the hour views' grids: what each colour stands for,
// the SNR in dB (the core's SnrColorKey), the reliability in percent
// (RelColorKey) or the share of calls that connected (LogColorKey), as the
// view shows, and a note on a line of its own below
// the colours where the view gives one (what its bold numbers mean).

#include <QWidget>

#include "views/PropagationHours.h"

namespace tw {

class SnrColorKeyWidget : public QWidget {
    Q_OBJECT
public:
    explicit SnrColorKeyWidget(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // A window made smaller by hand may squeeze the key.
    QSize minimumSizeHint() const override { return {0, 0}; }
    // The key of what the view's cells show.
    void SetValues(HourValues values);
    HourValues Values() const { return m_values; }
    // The line below the colours; empty: none.
    void SetNote(const QString& note);
    QString Note() const { return m_note; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int SwatchWidth() const;
    std::vector<SnrKeyEntry> Entries() const;
    QString Caption() const;

    HourValues m_values = HourValues::Snr;
    QString m_note;
};

}  // namespace tw
