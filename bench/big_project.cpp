// BigProject: the project file of 65,536 group items written as text.
#include "big_project.h"

#include <cstdio>
#include <fstream>

#include "project/project_file.h"

void WriteBigProject(const std::string& path) {
  std::string text = "Big\r\n";
  for (int main = 0; main < 32; ++main)
    for (int middle = 0; middle < 8; ++middle)
      for (int sub = 0; sub < 256; ++sub) {
        text += "Main group " + std::to_string(main) + ".Middle group " + std::to_string(middle) +
                "." + std::to_string(main) + "/" + std::to_string(middle) + "/" +
                std::to_string(sub) + "\tItem " + std::to_string(sub) +
                "\tEIS 5 'Value' (2 Byte)\tLow\t" + (sub % 3 ? "NoInit" : "Init") + "\t";
        if (sub % 2 == 0)
          text += std::to_string(main) + "/" + std::to_string(middle) + "/" +
                  std::to_string((sub + 1) % 256) + " " + std::to_string((main + 1) % 32) + "/" +
                  std::to_string(middle) + "/" + std::to_string(sub);
        text += "\r\n";
      }
  std::ofstream(path, std::ios::binary) << text;
  std::string devices;
  char line[16];
  for (int a = 0; a < 4; ++a)
    for (int l = 0; l < 16; ++l)
      for (int d = 0; d < 16; ++d) {
        std::snprintf(line, sizeof line, "%.2d.%.2d.%.3d\r\n", a, l, d);
        devices += line;
      }
  std::ofstream(DeviceFilePath(path), std::ios::binary) << devices;
}
