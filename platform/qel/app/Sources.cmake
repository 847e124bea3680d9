target_sources(qel PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/App.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CallbackMap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModalWnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window.cpp)
