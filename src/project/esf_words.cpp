// The 45 ESF keywords as Windows-1252 bytes.
#include "project/esf_words.h"

const EsfWords& StandardEsfWords() {
  // "\xE9" is é, "\xB0" the degree sign, "\xBA" the masculine ordinal of Portuguese "Nº.".
  static const EsfWords words{
      {"Projektname:", "Project name:", "Nombre de proyecto:", "Nom du projet:",
       "Nome del progetto:", "Projectnaam:", "Prosjektnavn:", "Nome do projecto:", "Projektnamn:"},
      {"Hauptgruppe:", "Maingroup:", "Grupo principal:", "Groupe principal:", "Gruppo principale:",
       "Hoofdgroep:", "Hovedgruppe:", "Grupo principal:", "Huvudgrupp:"},
      {"Mittelgruppe:", "Middlegroup:", "Grupo intermedio:",
       "Groupe m\xE9"
       "dian:",
       "Gruppo intermedio:", "Middelgroep:", "Mellomgruppe:",
       "Grupo interm\xE9"
       "dio:",
       "Mellangrupp:"},
      {"Untergruppe:", "Subgroup:", "Subgrupos:", "Sous-groupe:", "Sottogruppo:", "Subgroep:",
       "Undergruppe:", "Sub grupo:", "Undergrupp:"},
      {"Nr.", "No.", "No.", "N\xB0", "n.", "Nr.", "Nr.", "N\xBA.", "Nr."},
  };
  return words;
}
