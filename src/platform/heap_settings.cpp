// The settings of the memory allocator the programs are linked with (jemalloc), compiled into
// each program, never into a library: a library must not change its host's allocator.
//
// An import holds a whole layer in memory, some hundreds of megabytes in hundreds of
// thousands of blocks, and gives it back at the end. Backed by transparent huge pages, the
// memory is mapped in 2 MB steps instead of 4 KB ones, which took a quarter to a third off
// the shapefile routes and an eighth off the MIF export when the exports too held the layer
// whole; the system's setting for huge pages still decides whether they are used.
extern "C" {
// Read by jemalloc when it starts; see its manual's "malloc_conf" (MALLOC_CONF overrides it).
extern const char* malloc_conf;
const char* malloc_conf = "thp:always,metadata_thp:auto";
}
