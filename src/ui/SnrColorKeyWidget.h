#pragma once
// The colour key below the hour views' grids: what each SNR colour stands
// for, in dB, drawn from the core's SnrColorKey.

#include <QWidget>

namespace tw {

class SnrColorKeyWidget : public QWidget {
    Q_OBJECT
public:
    explicit SnrColorKeyWidget(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // A window made smaller by hand may squeeze the key.
    QSize minimumSizeHint() const override { return {0, 0}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int SwatchWidth() const;
};

}  // namespace tw
