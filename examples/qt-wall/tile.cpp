#include "tile.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

Tile::Tile(int index, QWidget *parent) : QWidget(parent), index_(index)
{
    // A window of its own (its X11 id is what the player is given), never
    // painted or erased by Qt.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true);
    setMinimumSize(80, 60);
}

void Tile::mousePressEvent(QMouseEvent *) { emit clicked(index_); }
void Tile::mouseDoubleClickEvent(QMouseEvent *) { emit doubleClicked(index_); }
// The player paints; Qt only says when.
void Tile::paintEvent(QPaintEvent *) { emit exposed(index_); }

void Tile::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void Tile::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    emit filesDropped(index_, paths);
}
