#pragma once

#include <string>
#include <string_view>

// Tells a configuration file from any other file before a writer replaces
// it: a file is taken for a configuration when one of its lines is the
// header of a block or group of the file format ("[[[DICOM]]]",
// "[[SETTINGS]]", ...), or when it holds nothing but blanks and line ends.
// Fed the bytes in pieces, as they are read; a line may span two pieces.
class ConfigurationSniffer {
  public:
    void feed(std::string_view bytes);
    bool isConfiguration() const;

  private:
    void endLine();

    bool m_found = false;
    bool m_onlyBlanks = true;
    std::string m_line; // the start of the current line, up to a header's length
    bool m_lineTooLong = false;
};
