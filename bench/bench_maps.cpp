// Speed of drawing a map: loading the bitmap, filling every region from its point and printing
// the labels, for the demo map and for a large map of 4000 x 3000 pixels with 1200 regions.
// The floor is reading the same bitmap file's bytes with plain open/read/close.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <unistd.h>

#include "maps/mapdrawing.h"

using namespace mirel;

namespace {

// A MAP folder with a grid of cols x rows regions (black borders on white) and one map line
// per region.
struct MapFolder {
    QTemporaryDir dir;
    QList<maps::MapLine> lines;

    MapFolder(int width, int height, int cols, int rows) {
        QImage image(width, height, QImage::Format_RGB888);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(Qt::black);
        for (int c = 0; c <= cols; ++c)
            painter.drawLine(c * (width - 1) / cols, 0, c * (width - 1) / cols, height - 1);
        for (int r = 0; r <= rows; ++r)
            painter.drawLine(0, r * (height - 1) / rows, width - 1, r * (height - 1) / rows);
        painter.end();
        image.save(dir.path() + QStringLiteral("/map.bmp"), "BMP");
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                lines.append({QStringLiteral("РАЙОН %1").arg(r * cols + c),
                              QString::number(r * cols + c), QString::number(c),
                              c * (width - 1) / cols + 3, r * (height - 1) / rows + 3,
                              (r + c) % 16});
    }
};

void drawMap(benchmark::State& state, int width, int height, int cols, int rows) {
    const MapFolder folder(width, height, cols, rows);
    for (auto _ : state) {
        const maps::MapBitmap bitmap = maps::loadMapBitmap(folder.dir.path());
        benchmark::DoNotOptimize(maps::drawMap(bitmap.image, folder.lines).bits());
    }
}

void readFloor(benchmark::State& state, int width, int height) {
    const MapFolder folder(width, height, 1, 1);
    const QByteArray path = QFile::encodeName(folder.dir.path() + QStringLiteral("/map.bmp"));
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        const int fd = ::open(path.constData(), O_RDONLY);
        ssize_t n = 0;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
            benchmark::DoNotOptimize(buffer.data());
        ::close(fd);
    }
}

void BM_DrawDemoSizeMap(benchmark::State& state) {
    drawMap(state, 800, 600, 5, 4);
}
void BM_ReadDemoSizeBitmapFloor(benchmark::State& state) {
    readFloor(state, 800, 600);
}
void BM_DrawLargeMap(benchmark::State& state) {
    drawMap(state, 4000, 3000, 40, 30);
}
void BM_ReadLargeBitmapFloor(benchmark::State& state) {
    readFloor(state, 4000, 3000);
}

BENCHMARK(BM_DrawDemoSizeMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDemoSizeBitmapFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawLargeMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLargeBitmapFloor)->Unit(benchmark::kMillisecond);

} // namespace

// Fonts need the GUI application; it never opens a window.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
