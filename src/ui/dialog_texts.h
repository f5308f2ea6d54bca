// DialogTexts: the title, control texts and fixed entries of a dialog of the language file.
#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QDialogButtonBox;

// The dialog's title; `fallback` when the language has no such dialog.
QString DialogTitle(unsigned dialog, const QString& fallback = {});
// The text of one control of the dialog; empty when missing.
QString DialogControlText(unsigned dialog, unsigned control);
// The fixed entries of a drop-down or list control of the dialog.
QStringList DialogControlEntries(unsigned dialog, unsigned control);
// Names a widget after its control identifier ("control1010"), which tests look it up by.
QString ControlObjectName(unsigned control);
// OK and Cancel (or OK alone) labelled with the dialog's button texts (controls 1 and 2),
// wired to the dialog's accept and reject.
QDialogButtonBox* CreateDialogButtons(QDialog& dialog, unsigned dialogId, bool withCancel = true);
