#pragma once

#include "support/program.h"

#include <gtest/gtest.h>
#include <QFile>

#include <ostream>

// Readable failure output for texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace veld::config::test {

using namespace Qt::Literals::StringLiterals;
using testing::DescribeLog;

inline ModelSettings settingsWith(DecimalSeparator separator) {
    return testing::Program::ModelSettingsWith(separator);
}

// A fresh program on the simulated transmitter in virtual time, with scripted prompts; the
// separator is a point unless a test says otherwise.
class ModelTest : public ::testing::Test, public testing::Program {
protected:
    // The user picks or types an input type.
    void chooseType(const QString& text) { m().userEdited(f().Vstup, text); }
    // The user chooses "ze souboru" and picks `path` (or cancels when it is empty).
    void chooseFromFile(const QString& path) {
        if (!path.isEmpty())
            pick(path);
        m().userSelected(f().Linearizace,
                         static_cast<int>(f().Linearizace.items.indexOf(u"ze souboru"_s)));
    }
};

}  // namespace veld::config::test
