// The user manual's file names and their lookup beside the program.
#include "platform/help_files.h"

#include "platform/program_files.h"

std::string HelpFileName(int language) {
  switch (language) {
    case 0:
      return "Zelvox_E.html";
    case 1:
      return "Zelvox_D.html";
    default:
      return {};
  }
}

std::string FindHelpFile(int language) {
  return FindFileIn(ProgramFileDirectories("help"), HelpFileName(language));
}
