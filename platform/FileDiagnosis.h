// Says why a file the program needs could not be used, naming the folder it was looked for in:
// the first thing a user who started the program from the wrong folder needs to read.
#pragma once

#include <string>

class FileDiagnosis {
 public:
  // "'Textures/A.png' (not found in /home/me/Textures nor in /usr/share/battlesim/Textures)" or
  // "'Textures/A.png' (in /home/me/Textures, but it cannot be read as a PNG image)".
  static std::string DescribeUnreadableImage(const std::string& path);
};
