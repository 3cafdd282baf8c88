#pragma once

#include <QColor>
#include <QLabel>

namespace records {

// A static text in a box with a one-pixel sunken edge. It draws the same
// whether or not its parent takes input: the records grid sits on a panel
// that is disabled because it only displays.
class StaticText : public QLabel {
    Q_OBJECT
public:
    StaticText(const QString &name, const QRect &geometry, Qt::Alignment alignment, const QColor &background,
               QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor background_;
};

} // namespace records
