#pragma once

#include "cli/model_command.h"

namespace veld::cli {

// veld-cli write FILE [--points POINTS] [--method polynomial|segments] [--degree N]
//                      [--precise] [--cvd R0,A,B[,C]] [--verify]
// Loads FILE as the window's "Přečíst" of "Konfigurace ze souboru" does, answers the
// linearization dialog from the options where FILE says "ze souboru", then clicks
// "&Uložit vše do převodníku": the write of the window, with its checks and its question.
class WriteCommand final : public ModelCommand {
public:
    std::string name() const override { return "write"; }
    std::string usage() const override;
    std::string help() const override;

protected:
    int run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) override;

private:
    struct Arguments;
    // The dialog that shows the points: the method, the degree, then "OK".
    static bool answerDialog(const Arguments& a, ModelDriver& driver, Context& context);
    // "Přizpůsobení čidlu" with --cvd: the check box, the coefficients, then "OK".
    static bool matchSensor(const Arguments& a, ModelDriver& driver, Context& context);
};

}  // namespace veld::cli
