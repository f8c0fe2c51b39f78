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
    // A point file in the program's folder; returns its path.
    QString pointFile(const QString& name, const QByteArray& content) {
        const QString path = file(name, content);
        EXPECT_FALSE(path.isEmpty()) << name.toStdString();
        return path;
    }
    static QByteArray linearPoints(int count) {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += QByteArray::number(i) + " " + QByteArray::number(10 * i) + "\n";
        return text;
    }
    // The user chooses "ze souboru" and picks `path` (or cancels when it is empty).
    void chooseFromFile(const QString& path) {
        if (!path.isEmpty())
            pick(path);
        m().userSelected(f().Linearizace,
                         static_cast<int>(f().Linearizace.items.indexOf(u"ze souboru"_s)));
    }
};

}  // namespace veld::config::test
