// Compiled only by the layer tests (tests/layers/CMakeLists.txt): includes the
// header named by INCLUDE_PROBE_HEADER from a target that links one layer.
#include INCLUDE_PROBE_HEADER
