// Long runs of the status and event channels through a whole window on the simulated device:
// 100,000 status records leave the heap where it was, and 100,000 event lines grow it only by
// what the event lists hold: emptying them gives it all back.

#include "GuiRig.h"
#include "HeapInUse.h"

#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTest>

class TestMemory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        rig = std::make_unique<GuiRig>();
        QVERIFY(rig->start());
        QVERIFY(rig->waitAttached(true));
        connect(rig->window.get(), &TFormMain::statusRecordApplied, this, [this] { ++applied; });
    }
    void cleanupTestCase() { rig.reset(); }

    void statusRecordsDoNotGrowTheHeap()
    {
        const int perBurst = int(rig->window->statusDescs().count());
        const auto burst = [&](int records) {
            for (int sent = 0; sent < records; sent += perBurst) {
                const int target = applied + perBurst;
                rig->sim->sendStatus();
                if (!QTest::qWaitFor([&] { return applied >= target; }, 5000))
                    return false;
            }
            return true;
        };
        QVERIFY(burst(5000)); // caches and the fields' texts settle first
        const std::size_t before = heapInUse();
        QVERIFY(burst(kRecords));
        const std::size_t after = heapInUse();
        qInfo("heap over %d status records: %zu -> %zu bytes", kRecords, before, after);
        QVERIFY2(after <= before + kConstantSlack, "the heap grew with the status records");
    }

    void eventLinesGrowTheHeapByTheirTextOnly()
    {
        auto* list1 = rig->find<QPlainTextEdit>("memoEventList1");
        auto* list2 = rig->find<QPlainTextEdit>("memoEventList2");
        QVERIFY(list1 && list2);
        // An empty list already holds one (empty) block; the first line goes into it.
        const auto shown = [](QPlainTextEdit* list) {
            return list->document()->isEmpty() ? 0 : list->blockCount();
        };
        const auto lines = [&] { return shown(list1) + shown(list2); };
        const auto textBytes = [&] {
            return std::size_t(list1->toPlainText().size() + list2->toPlainText().size()) * sizeof(QChar);
        };
        const std::size_t before = heapInUse();
        const std::size_t textBefore = textBytes();
        const int linesBefore = lines();
        constexpr int batch = 500;
        for (int sent = 0; sent < kLines; sent += batch) {
            for (int i = 0; i < batch; ++i)
                QVERIFY(rig->sim->sendEvent((sent + i) % 2 ? "SIM_A" : "s_2B/4B",
                                            "line " + std::to_string(sent + i)));
            QVERIFY(QTest::qWaitFor([&] { return lines() - linesBefore >= sent + batch; }, 10000));
        }
        const std::size_t grown = heapInUse() - std::min(heapInUse(), before);
        const std::size_t text = textBytes() - textBefore;
        qInfo("heap over %d event lines: grew %zu bytes for %zu bytes of shown text", kLines, grown, text);
        // A text view keeps a block record and a layout beside each line's text.
        QVERIFY2(grown <= text + std::size_t(kLines) * kPerLineBookkeeping + kConstantSlack,
                 "the heap grew by more than the event lists hold");
        // All of it is the lists' own: emptied, they give it back.
        list1->clear();
        list2->clear();
        const std::size_t afterClear = heapInUse();
        qInfo("after emptying the lists: %zu -> %zu bytes", before, afterClear);
        QVERIFY2(afterClear <= before + kConstantSlack, "memory outside the event lists grew");
    }

private:
    static constexpr int kRecords = 100000;
    static constexpr int kLines = 100000;
    static constexpr std::size_t kPerLineBookkeeping = 1024;
    static constexpr std::size_t kConstantSlack = 1 << 20;

    std::unique_ptr<GuiRig> rig;
    int applied = 0;
};

QTEST_MAIN(TestMemory)
#include "tst_Memory.moc"
