#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace platform::ui {

enum class Bevel { None, Lowered, Raised };

// A panel with the classic two bevels and an optional centred caption.
class Panel : public QWidget {
    Q_OBJECT
public:
    explicit Panel(QWidget *parent = nullptr);

    void setColor(const QColor &c);
    QColor color() const { return color_; }
    void setBevels(Bevel outer, Bevel inner, int width = 1);
    void setBorderLine(bool on); // single dark line around everything
    void setCaption(const QString &caption);
    QString caption() const { return caption_; }
    void setFontColor(const QColor &c);
    void setCaptionAlignment(Qt::Alignment a);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor color_;
    QColor fontColor_;
    Bevel outer_ = Bevel::Raised;
    Bevel inner_ = Bevel::None;
    int bevelWidth_ = 1;
    bool borderLine_ = false;
    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignCenter;
};


// Draws a 3-D frame of `width` pixels inside `rect` and returns the rect
// left inside it.
QRect frame3D(class QPainter &p, QRect rect, const QColor &topLeft, const QColor &bottomRight, int width);

} // namespace platform::ui
