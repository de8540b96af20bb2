// The wall: 2x2 to 4x4 tiles, each with its own player. Files are opened by
// drag and drop or the Open button; a double-click makes a tile fill the
// window (its player moves there) and back. The buttons act on the tile
// last clicked.
#pragma once

#include <QMainWindow>
#include <array>
#include <memory>

#include "tile.h"
#include "wall_player.h"

class QGridLayout;
class QLabel;
class QStackedWidget;

class WallWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMaxGrid = 4;

    explicit WallWindow(int grid);
    // Tiles of 320 x 240 pixels, with room for the tool and status bars.
    static QSize startSize(int grid) { return QSize(grid * 320, grid * 240 + 60); }
    ~WallWindow() override;

    // Opens the files into the tiles from `first` on, one tile each.
    void openFiles(int first, const QStringList &paths);
    void setGrid(int size);
    int tileCount() const { return gridSize_ * gridSize_; }
    Tile *tile(int index) { return tiles_[index]; }
    WallPlayer *player(int index) { return players_[index].get(); }

private:
    void select(int index);
    void toggleFill(int index);
    void repaint(int index);
    void openWithDialog();
    void saveSnapshot();
    template <typename Action> void onSelected(Action action);

    std::array<Tile *, kMaxGrid * kMaxGrid> tiles_{};
    std::array<std::unique_ptr<WallPlayer>, kMaxGrid * kMaxGrid> players_;
    QStackedWidget *stack_;
    QGridLayout *grid_;
    Tile *fill_;
    QLabel *status_;
    int gridSize_ = 0;
    int selected_ = 0;
    int filled_ = -1;
    int volume_ = 100;
};
