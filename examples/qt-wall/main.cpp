// qt-wall: a video wall of ZAVIPlaySDK players in a Qt window.
//   qt-wall [--grid 2|3|4] [--check DIR] [FILE.zvs|FILE.zvr ...]
// Files given on the command line open in the first tiles; more can be
// dropped on a tile or opened with the Open button.
#include <QApplication>
#include <QCommandLineParser>

#include "wall_check.h"
#include "wall_window.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A wall of ZAVIPlaySDK players"));
    parser.addHelpOption();
    const QCommandLineOption grid(QStringLiteral("grid"), QStringLiteral("tiles per side, 2 to 4"), QStringLiteral("N"),
                                  QStringLiteral("2"));
    const QCommandLineOption check(QStringLiteral("check"),
                                   QStringLiteral("save the tiles' pictures and places in DIR once played"),
                                   QStringLiteral("DIR"));
    parser.addOption(grid);
    parser.addOption(check);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("streams (.zvs) and recordings (.zvr)"));
    parser.process(app);
    const int size = qBound(2, parser.value(grid).toInt(), WallWindow::kMaxGrid);

    WallWindow wall(size);
    wall.resize(WallWindow::startSize(size));
    wall.show();
    wall.openFiles(0, parser.positionalArguments());
    std::unique_ptr<WallCheck> checker;
    if (parser.isSet(check)) {
        const int opened = qMin(int(parser.positionalArguments().size()), wall.tileCount());
        checker = std::make_unique<WallCheck>(wall, opened, parser.value(check));
    }
    return app.exec();
}
