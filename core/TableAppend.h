// Appending a definition base to a DefinitionTable: the base's header
// replaces the table's, its records go into the next free slots with Kind
// moved behind Offset, and RecordCount grows by the records that arrived.
#pragma once

#include "Streams.h"

#include <brenvald/DefinitionTable.h>

#include <cstdint>
#include <string_view>

namespace kernel {

// Appends the base whose plain content the stream yields from its start.
// Raises "'%s' is not a valid integer value" for a count that is no integer,
// "Stream read error" when the header is short and "Range check error" for a
// record beyond the last slot. RecordCount then names only slots in use: the
// count from before the base plus the records that arrived whole, which is
// fewer than the base announces when its content ends early or when the
// table is full ("Range check error" keeps the slots that fit). After any
// other failure it is the count from before the base.
void AppendBase(TStream &content, uint8_t *table);

} // namespace kernel
