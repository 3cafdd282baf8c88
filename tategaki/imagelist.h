#pragma once

#include <QImage>
#include <QObject>

#include <functional>
#include <vector>

class QPainter;

namespace tategaki {

class TImageList;

// A client's registration with an image list: OnChange runs whenever the
// list's images change, OnListDestroyed when the list goes away (Sender is
// already none then). Unregisters itself when destroyed.
class TChangeLink {
public:
    TChangeLink() = default;
    ~TChangeLink();
    TChangeLink(const TChangeLink &) = delete;
    TChangeLink &operator=(const TChangeLink &) = delete;

    TImageList *Sender() const { return FSender; }

    std::function<void()> OnChange;
    std::function<void()> OnListDestroyed;

private:
    friend class TImageList;
    TImageList *FSender = nullptr;
};

// Images of one size, addressed by index. Does not own its clients; tells
// their change links when the images change and when it is destroyed.
class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(int Width = 16, int Height = 16, QObject *parent = nullptr);
    ~TImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size empties the list.
    void setSize(int Width, int Height);
    int Count() const { return int(FImages.size()); }

    // An image of another size is scaled to the list's size. Returns its index.
    int Add(const QImage &Image);
    void Replace(int Index, const QImage &Image);
    void Delete(int Index);
    void Clear();
    QImage Image(int Index) const;

    // Draws image `Index` with its top-left corner at (X, Y); an index
    // outside the list draws nothing.
    void Draw(QPainter &Canvas, int X, int Y, int Index) const;

    void RegisterChanges(TChangeLink *Link);
    void UnRegisterChanges(TChangeLink *Link);

private:
    QImage fitted(const QImage &image) const;
    void Change();

    int FWidth;
    int FHeight;
    std::vector<QImage> FImages;
    std::vector<TChangeLink *> FLinks;
};

} // namespace tategaki
