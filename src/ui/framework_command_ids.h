// The application framework's own command and string identifiers that the windows handle.
#pragma once

constexpr unsigned kCmdFileNew = 57600;
constexpr unsigned kCmdFileOpen = 57601;
constexpr unsigned kCmdFileSave = 57603;
constexpr unsigned kCmdFileSaveAs = 57604;
constexpr unsigned kCmdRecentFile1 = 57616;
constexpr unsigned kCmdAbout = 57664;
constexpr unsigned kCmdExit = 57665;
constexpr unsigned kCmdEditUndo = 57643;
constexpr unsigned kCmdEditRedo = 57644;
constexpr unsigned kCmdHelp = 57670;
constexpr unsigned kCmdViewToolbar = 59392;
constexpr unsigned kCmdViewStatusBar = 59393;

// The application's title, and the status bar's text while nothing is going on ("Ready").
constexpr unsigned kStrApplicationTitle = 57344;
constexpr unsigned kStrIdle = 57345;
