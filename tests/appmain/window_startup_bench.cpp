// SPDX-License-Identifier: MIT
// Start-up of the main window to its first paint: construction, the start-up
// sequence on the linked library's chip table, showing, and the first paint
// event of the window's controls.
#include "application.h"
#include "main_window.h"

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

class PaintSeen : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(watched, event);
    }
};

void StartUpToFirstPaint(benchmark::State& state) {
    QTemporaryDir settings;
    scriba8::appmain::WindowEnvironment environment;
    environment.programFolder = settings.path().toStdString();
    for (auto _ : state) {
        CScriba8_T3Plus_APDlg window(environment);
        if (!window.Initialise()) {
            state.SkipWithError("no chip records");
            return;
        }
        PaintSeen seen;
        window.installEventFilter(&seen);
        window.show();
        while (!seen.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        window.removeEventFilter(&seen);
    }
}
BENCHMARK(StartUpToFirstPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    scriba8::appmain::ApplyInterfaceLook(application);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
