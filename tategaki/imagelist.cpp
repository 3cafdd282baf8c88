#include "imagelist.h"

#include <QPainter>

#include <algorithm>

namespace tategaki {

TChangeLink::~TChangeLink()
{
    if (FSender)
        FSender->UnRegisterChanges(this);
}

TImageList::TImageList(int Width, int Height, QObject *parent)
    : QObject(parent), FWidth(std::max(Width, 0)), FHeight(std::max(Height, 0))
{
}

TImageList::~TImageList()
{
    // A client may unregister (or register elsewhere) from inside its
    // handler, so work on a copy.
    const std::vector<TChangeLink *> links = FLinks;
    for (TChangeLink *link : links) {
        if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end())
            continue;
        UnRegisterChanges(link);
        if (link->OnListDestroyed)
            link->OnListDestroyed();
    }
}

void TImageList::setSize(int Width, int Height)
{
    Width = std::max(Width, 0);
    Height = std::max(Height, 0);
    if (Width == FWidth && Height == FHeight)
        return;
    FWidth = Width;
    FHeight = Height;
    FImages.clear();
    Change();
}

QImage TImageList::fitted(const QImage &image) const
{
    if (image.size() == QSize(FWidth, FHeight) || FWidth == 0 || FHeight == 0)
        return image;
    return image.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

int TImageList::Add(const QImage &Image)
{
    FImages.push_back(fitted(Image));
    Change();
    return Count() - 1;
}

void TImageList::Replace(int Index, const QImage &Image)
{
    if (Index < 0 || Index >= Count())
        return;
    FImages[std::size_t(Index)] = fitted(Image);
    Change();
}

void TImageList::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        return;
    FImages.erase(FImages.begin() + Index);
    Change();
}

void TImageList::Clear()
{
    if (FImages.empty())
        return;
    FImages.clear();
    Change();
}

QImage TImageList::Image(int Index) const
{
    if (Index < 0 || Index >= Count())
        return {};
    return FImages[std::size_t(Index)];
}

void TImageList::Draw(QPainter &Canvas, int X, int Y, int Index) const
{
    if (Index < 0 || Index >= Count())
        return;
    Canvas.drawImage(QPoint(X, Y), FImages[std::size_t(Index)]);
}

void TImageList::RegisterChanges(TChangeLink *Link)
{
    if (!Link || Link->FSender == this)
        return;
    if (Link->FSender)
        Link->FSender->UnRegisterChanges(Link);
    Link->FSender = this;
    FLinks.push_back(Link);
}

void TImageList::UnRegisterChanges(TChangeLink *Link)
{
    const auto it = std::find(FLinks.begin(), FLinks.end(), Link);
    if (it == FLinks.end())
        return;
    FLinks.erase(it);
    Link->FSender = nullptr;
}

void TImageList::Change()
{
    const std::vector<TChangeLink *> links = FLinks;
    for (TChangeLink *link : links)
        if (link->OnChange)
            link->OnChange();
}

} // namespace tategaki
