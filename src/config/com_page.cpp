#include "config/com_page.h"

#include "config/main_form.h"

namespace veld::config {

void ComPage::SetComClick() {
    RadioGroup& com = form_.SetCom;
    if (com.itemIndex < 0 || com.itemIndex >= com.items.size())
        return;
    form_.DalsiPorty.itemIndex = -1;  // one choice at a time
    if (comPortChosen)
        comPortChosen(com.itemIndex);
}

void ComPage::DalsiPortyClick() {
    ListBox& list = form_.DalsiPorty;
    if (list.itemIndex < 0 || list.itemIndex >= list.items.size())
        return;
    form_.SetCom.itemIndex = -1;
    if (otherPortChosen)
        otherPortChosen(list.items.at(list.itemIndex));
}

void ComPage::RychlyPrenosClick() {
    if (fastTransferChosen)
        fastTransferChosen(form_.RychlyPrenos.checked);
}

Outcome ComPage::NajitPrevodnikClick() {
    return findTransmitter ? findTransmitter() : Outcome::Stopped;
}

void ComPage::setOtherPorts(const QStringList& ports) {
    ListBox& list = form_.DalsiPorty;
    const QString selected = list.itemIndex >= 0 && list.itemIndex < list.items.size()
                                 ? list.items.at(list.itemIndex)
                                 : QString();
    list.items = ports;
    // A chosen port that has gone (a modem unplugged) stays listed and chosen until the user
    // picks another: the link still means it.
    if (!selected.isEmpty() && !list.items.contains(selected))
        list.items.append(selected);
    list.itemIndex = selected.isEmpty() ? -1 : static_cast<int>(list.items.indexOf(selected));
}

void ComPage::selectCom(int index) {
    if (index < 0 || index >= form_.SetCom.items.size())
        index = 0;
    form_.SetCom.itemIndex = index;
    form_.DalsiPorty.itemIndex = -1;
}

void ComPage::selectOther(const QString& port) {
    ListBox& list = form_.DalsiPorty;
    if (!list.items.contains(port))
        list.items.append(port);
    list.itemIndex = static_cast<int>(list.items.indexOf(port));
    form_.SetCom.itemIndex = -1;
}

}  // namespace veld::config
