// The CD playlist dialog: a thin window over CdPlaylistEditor.
#pragma once

#include "cd/CdPlaylistEditor.h"

#include <QDialog>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace zeb {

class CdTitleDatabase;

// The CD playlist dialog: the disc's artist, title, track names and play order,
// read when it opens and written on OK. Modeless; it deletes itself when closed.
//
// Dialog 102 (152 in Russian), on top of other windows. Enter in the track
// name edit sets the name instead of closing the dialog; elsewhere it is OK.
class CdPlaylistDialog : public QDialog {
    Q_OBJECT
public:
    // trackLengths: for each track of the disc, the reply to "status zeb length track N"
    // ("mm:ss:ff"); discKey "0" (no disc) gives empty lists and an OK that writes nothing.
    CdPlaylistDialog(CdTitleDatabase& db, const std::string& discKey,
                     const std::vector<std::string>& trackLengths, bool russian,
                     QWidget* parent = nullptr);

    // OK: stores the entry and closes. A failed write is not reported.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls(bool russian);
    void FillFromEditor();
    void ShowSelectedName(int availableRow);
    // "Sæt": renames the selected available track and moves to the next one.
    void SetSelectedName();
    // "<--": appends the selected available track to the play order.
    void AddSelectedTrack();
    // "-->": removes the selected play-order entry.
    void RemoveSelectedEntry();
    void RefreshLines();
    void UpdateOk();

    CdPlaylistEditor editor_;
    QLineEdit* artist_ = nullptr;
    QLineEdit* title_ = nullptr;
    QListWidget* order_ = nullptr;
    QListWidget* available_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* set_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace zeb
