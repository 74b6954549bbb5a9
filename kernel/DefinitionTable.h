// Appending a definition base to a DefinitionTable: the base's header
// replaces the table's, its records go into the next free slots with Kind
// moved behind Offset, and RecordCount grows by the base's record count.
#pragma once

#include "Streams.h"

#include <brenvald/DefinitionTable.h>

#include <cstdint>
#include <string_view>

namespace kernel {

// The integer of a counted text (RecordCount, Offset); raises
// "'<text>' is not a valid integer value" when it names none.
int32_t StrToInt(std::string_view text);

// Appends the base whose plain content the stream yields from its start.
// Raises "'%s' is not a valid integer value" for a count that is no integer,
// "Stream read error" when the header is short and "Range check error" for a
// record beyond the last slot. After any failure RecordCount holds the count
// from before the base, so it names only slots in use.
void AppendBase(TStream &content, uint8_t *table);

} // namespace kernel
