// A definition base container appended straight into a DefinitionTable: the
// bzip2 data is decompressed record by record into the table, so the base's
// plain content is never held in memory as a whole.
#pragma once

#include "Streams.h"

#include <cstdint>

namespace kernel {

// Appends the base in the container's bzip2 data to the table and then reads
// the decompressor to its end, so trailing data ("error -1"), corrupt data
// ("error -4") and data that is no bzip2 ("error -5") are raised as if the
// whole container had been unpacked before the append. On a container
// failure the table's header, RecordCount included, is as it was before; an
// append failure leaves RecordCount as AppendBase does (for a full table, the
// count from before plus the slots the base filled).
void AppendContainerToTable(TStream &container, uint8_t *table);

} // namespace kernel
