// Figures for a paper with very many marks: a 100,000-mark tag read onto the
// layer (the tag reader), counted (RecountMarks) and written (BuildTag).
// Prints timings, never fails.
#include "TagFormat.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace marking;

namespace {

constexpr int kMarks = 100'000;

QList<TSubQuestion> TwoSubQuestions() {
    TSubQuestion a;
    a.PosX = 120;
    a.PosY = 300;
    TSubQuestion b = a;
    b.PosY = 420;
    return {a, b};
}

QString ManyMarksTag() {
    QString tag = QStringLiteral("0;120;300;5!0;120;420;2.5!");
    for (int i = 0; i < kMarks; ++i) {
        const int x = 10 + i % 1000;
        const int y = 10 + i / 1000;
        static const char* const kinds[] = {"1;%1;%2;30;-4!", "3;%1;%2;30;20!", "4;%1;%2;30;20!",
                                            "2;%1;%2;X!", "0;%1;%2;1!"};
        tag += QString::fromLatin1(kinds[i % 5]).arg(x).arg(y);
    }
    return tag;
}

void BM_ReadTagOf100000Marks(benchmark::State& state) {
    const QString tag = ManyMarksTag();
    const QList<TSubQuestion> subQuestions = TwoSubQuestions();
    for (auto _ : state) {
        imaging::VectorLayer layer;
        DrawTag(layer, subQuestions, tag, {});
        benchmark::DoNotOptimize(layer.count());
    }
}
BENCHMARK(BM_ReadTagOf100000Marks)->Unit(benchmark::kMillisecond);

void BM_RecountAndWrite100000Marks(benchmark::State& state) {
    const QList<TSubQuestion> subQuestions = TwoSubQuestions();
    imaging::VectorLayer layer;
    DrawTag(layer, subQuestions, ManyMarksTag(), {});
    for (auto _ : state) {
        MarkCounts counts;
        benchmark::DoNotOptimize(RecountMarks(layer, &counts));
        benchmark::DoNotOptimize(BuildTag(layer, subQuestions).size());
    }
}
BENCHMARK(BM_RecountAndWrite100000Marks)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
