// AboutDialog: the about box (dialog 100 of the language file) with the program's version.
#pragma once

class QDialog;
class QWidget;

// A new about box: the dialog's labels, "Version 2.1.1 " in control 1000, control 1050 empty.
QDialog* CreateAboutDialog(QWidget* parent);
// Shows it modally.
void ShowAboutDialog(QWidget* parent);
