#include "config_fixture.h"

#include "link/link.h"
#include "support/link_calls.h"

#include <chrono>

namespace veld::config::test {
namespace {

using namespace std::chrono_literals;
using veld::testing::ReadKonst;

class TransactionState : public ModelTest {
protected:
    void SetUp() override {
        for (Button* b : {&f().Poslat, &f().Precist, &f().Stop_mer}) {
            b->show();
            b->onClick = [this, b] { clicked.append(b->name); };
        }
    }
    QStringList clicked;
};

TEST_F(TransactionState, anOperationTakesOnlyStopUntilItsHandlerReturns) {
    ComparatorGroup& relay = *f().Komparator[0];
    const auto tryEverything = [&] {
        chooseType(u"reostat"_s);
        m().userEdited(f().Tlumeni, u"2"_s);
        m().userClicked(f().ctisoub);
        m().userSelected(f().SetCom, 2);
        m().userToggled(relay.PovolKompar, true);
        m().userClicked(f().Stop_mer);
    };
    bool blockedInThePause = false;
    // Two transactions with a pause between them, as the whole write has; the user tries every
    // kind of input while the line is idle in the pause.
    f().Precist.onClick = [&] {
        (void)ReadKonst(m().device().link(), 257, 2);
        clock.schedule(50ms, [&] {
            blockedInThePause = !m().busy() && m().operationRunning() &&
                                !m().effectivelyEnabled(f().Tlumeni) &&
                                m().effectivelyEnabled(f().ZoZmHodn);  // a display only
            tryEverything();
        });
        clock.pause(100ms);
        (void)ReadKonst(m().device().link(), 259, 2);
    };
    m().userClicked(f().Precist);
    EXPECT_TRUE(blockedInThePause);
    EXPECT_EQ(clicked, QStringList{u"Stop_mer"_s});
    EXPECT_EQ(f().Vstup.text, QString());
    EXPECT_EQ(f().Tlumeni.text(), u"0.5"_s);
    EXPECT_TRUE(prompts.fileRequests.isEmpty());
    EXPECT_EQ(f().SetCom.itemIndex, 0);
    EXPECT_FALSE(relay.PovolKompar.checked);
    EXPECT_EQ(session().simDevice().RequestsReceived(), 2u);

    // Afterwards the same input is taken.
    EXPECT_FALSE(m().operationRunning());
    tryEverything();
    EXPECT_EQ(f().Tlumeni.text(), u"2"_s);
    EXPECT_EQ(prompts.fileRequests.size(), 1);
    EXPECT_EQ(f().SetCom.itemIndex, 2);
    EXPECT_TRUE(relay.PovolKompar.checked);
}

TEST_F(TransactionState, aClickWhileTheLineIsWaitedOnIsRefusedAndTheViewFollows) {
    // Precist waits for a real transaction to the simulator; the user clicks meanwhile.
    bool read = false;
    f().Precist.onClick = [&] { read = !ReadKonst(m().device().link(), 257, 2); };
    std::vector<int> transferSeen;
    int changesDuringWait = 0;
    clock.schedule(20ms, [&] {
        EXPECT_TRUE(m().busy());
        const int before = static_cast<int>(m().revision());
        m().userClicked(f().Poslat);
        m().userClicked(f().Stop_mer);
        changesDuringWait = static_cast<int>(m().revision()) - before;
    });
    m().changed = [&] { transferSeen.push_back(f().Transfer1.position); };
    m().userClicked(f().Precist);
    EXPECT_TRUE(read);
    EXPECT_EQ(clicked, QStringList{u"Stop_mer"_s});
    EXPECT_EQ(changesDuringWait, 1);  // the taken click re-synced the view at once
    EXPECT_FALSE(m().busy());
    EXPECT_EQ(f().Transfer1.position, 100);
    EXPECT_EQ(session().simDevice().RequestsReceived(), 1u);
    EXPECT_GE(transferSeen.size(), 3u);  // start, reply, end at least
}

}  // namespace
}  // namespace veld::config::test
