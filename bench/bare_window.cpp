// The reference start-up: a bare Qt Widgets window of 60 line edits,
// started, grabbed to PNG and ended the way `quorvel --screenshot` is, so
// that the program's start-up can be measured against Qt's own.
#include "chart/helper_threads.h"
#include "chart/png_encode.h"
#include "fileio/safe_write.h"

#include <QApplication>
#include <QGridLayout>
#include <QImage>
#include <QLineEdit>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The PNG's helper thread made ahead, as the program makes it: only
    // what the program adds to Qt's start-up is measured against it.
    chart::prepareHelperThread();
    QApplication app(argc, argv);
    QWidget w;
    auto* grid = new QGridLayout(&w);
    for (int i = 0; i < 60; ++i)
        grid->addWidget(new QLineEdit(QString::number(i)), i / 5, i % 5);
    w.resize(1366, 740);
    const QByteArray png = chart::encodePngInBands(w.grab().toImage());
    // Written as the program writes its files: beside, flushed to the disk,
    // renamed into place.
    if (argc > 1 && !fileio::writeFile(QString::fromLocal8Bit(argv[1]), png))
        return 1;
    std::fflush(stdout);
    std::_Exit(0);
}
