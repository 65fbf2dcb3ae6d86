# Our own object layer (ProgID registry, counted objects, member access, coercion); it
# registers the script control class of whichever interpreter backend is built beside it.
target_sources(cellbrae_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/object_system.cpp
  ${CMAKE_CURRENT_LIST_DIR}/variant_coercion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../shared/class_registry.cpp)
