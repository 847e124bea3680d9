target_sources(qel PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QelVersion.cpp)
