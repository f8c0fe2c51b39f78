#include "config/lin_dialog.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

LinDialogForm::LinDialogForm()
    : Zpus_lin(u"Zpus_lin"_s, u"Způsob linearizace"_s,
               {u"Polynom metodou nejmenších čtverců"_s,
                u"Proložení lineárními přímkami v zadaných bodech"_s},
               kMethodSegments),
      stup_p(u"stup_p"_s, {u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s}, u"6"_s),
      pstup(u"pstup"_s, u"Stupeň polynomu"_s),
      OK(u"OK"_s, u"OK"_s),
      Jiny(u"Jiny"_s, u"Jiný linearizační soubor"_s) {
    StringGrid1.fixedRows = 1;
    StringGrid1.fixedColumns = 0;
    StringGrid1.columnWidths = {215, 200};
    StringGrid1.tabStop = false;
    stup_p.hide();
    pstup.hide();
    all_ = {&StringGrid1, &Zpus_lin, &stup_p, &pstup, &OK, &Jiny};
}

Control* LinDialogForm::find(const QString& controlName) const {
    for (Control* c : all_)
        if (c->name == controlName)
            return c;
    return nullptr;
}

}  // namespace veld::config
