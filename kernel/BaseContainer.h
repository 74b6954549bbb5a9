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
// failure the table's header is as it was before; on any failure its
// RecordCount is the count from before the base.
void AppendContainerToTable(TStream &container, uint8_t *table);

} // namespace kernel
