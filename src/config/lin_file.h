#pragma once

#include "common/prompts.h"
#include "config/input_state.h"

// Choosing the linearization point file and the dialog that shows its points.
namespace veld::config {

class LinFileChoice {
public:
    explicit LinFileChoice(Editor& editor) : e_(editor) {}

    // Lets the user pick a point file, reads it into the point store and shows the dialog.
    // A cancelled choice or a file that cannot be used changes no point.
    void vyber_souboru();

    // Handlers of the dialog.
    void OKClick();
    void JinyClick();
    void stup_pChange();
    void Zpus_linChange();
    void Zpus_linClick();

    // The request `vyber_souboru` puts to the prompts (folder resolved for this system).
    FileDialogRequest openRequest() const;

private:
    void fillGrid();

    Editor& e_;
};

// The folder a file dialog starts in: the profile's folder when it exists, else documents, else
// the home folder.
QString ResolveInitialDirectory(const QString& profileDirectory, const ModelSettings& settings);

}  // namespace veld::config
