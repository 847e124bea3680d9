target_sources(qel PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Album.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AlbumInter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Animation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppPaths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CoreEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Element.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementLayers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FontCleanup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ElementInter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Layouter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LayoutReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Painter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Timer.cpp)
