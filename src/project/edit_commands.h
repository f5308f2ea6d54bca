// Edit commands: the command identifiers of the tree's and list's editing commands, bound to
// the document's selection and dialogs.
#pragma once

class CDORAzivazDoc;

// Registers with the document the commands that edit the project by hand: reads (32775,
// 32804), group priorities (32813, 32801, 32814, 32815), group initial reads (32863, 32864),
// item properties (32847), links (32859, 32860), new groups (32839, 32841), renames (32844,
// 32840) and deletes (32845, 32846, 32870). Each acts on the views' selection, asks its dialog
// where it has one, and hands its undo record to the document's edit sink.
void RegisterEditCommands(CDORAzivazDoc& doc);
