# Assertions name their source file relative to the repository root
# ("Game/SimpleAllocator.cpp"), wherever the tree was checked out.
target_compile_options(zepcore PRIVATE "-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=")
