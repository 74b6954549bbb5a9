// The three container operations on files, behind the base exports. Each
// streams: no file is ever held in memory as a whole.
#pragma once

#include <cstdint>
#include <string>

namespace kernel {

// Writes target as the bzip2 container of the whole source file.
void PackBaseFile(const std::string &source, const std::string &target);
// Writes target with the whole plain content of the source container.
void UnpackBaseFile(const std::string &source, const std::string &target);
// Appends the base in the container file to the DefinitionTable.
void UnpackBaseIntoTable(const std::string &basePath, uint8_t *table);

} // namespace kernel
