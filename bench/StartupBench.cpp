// Cold start to the first painted window and resident memory at that moment: the panel
// (StartProbe) next to a minimal Qt Widgets program (MinimalQtProbe), started alternately
// many times; medians and their ratio. Usage: StartupBench [runs] (default 31).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run {
    double ms = 0;
    long rssKiB = 0;
};

bool StartOnce(const QString& program, Run& run) {
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    if (!process.waitForStarted(10000)) {
        return false;
    }
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(20000)) {
            return false;
        }
    }
    run.ms = double(clock.nsecsElapsed()) / 1e6;
    const QByteArray line = process.readLine().trimmed();
    if (!line.startsWith("painted ")) {
        return false;
    }
    run.rssKiB = line.mid(8).toLong();
    process.waitForFinished(10000);
    return true;
}

template <typename T> T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 31;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString programs[2] = {bin.filePath("StartProbe"), bin.filePath("MinimalQtProbe")};
    std::vector<double> ms[2];
    std::vector<long> rss[2];
    // One unmeasured start each, so both find the libraries in the page cache.
    for (const QString& program : programs) {
        Run warm;
        if (!StartOnce(program, warm)) {
            std::fprintf(stderr, "%s did not report its first paint\n", qPrintable(program));
            return 1;
        }
    }
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < 2; ++p) {
            Run run;
            if (!StartOnce(programs[p], run)) {
                std::fprintf(stderr, "%s failed\n", qPrintable(programs[p]));
                return 1;
            }
            ms[p].push_back(run.ms);
            rss[p].push_back(run.rssKiB);
        }
    }
    const double msPanel = Median(ms[0]);
    const double msMinimal = Median(ms[1]);
    const long rssPanel = Median(rss[0]);
    const long rssMinimal = Median(rss[1]);
    std::printf("platform %s, %d runs each, medians\n", qgetenv("QT_QPA_PLATFORM").constData(),
                runs);
    std::printf("%-26s %14s %14s\n", "", "start (ms)", "RSS (KiB)");
    std::printf("%-26s %14.1f %14ld\n", "panel", msPanel, rssPanel);
    std::printf("%-26s %14.1f %14ld\n", "minimal Qt Widgets", msMinimal, rssMinimal);
    std::printf("%-26s %14.2f %14.2f\n", "ratio (limit 1.5 / 1.4)", msPanel / msMinimal,
                double(rssPanel) / double(rssMinimal));
    return 0;
}
