# The GTK 3 backend; without GTK the toolkit still builds, headless only.
if(TARGET PkgConfig::GTK3)
  target_sources(qel PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/GtkBackend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkEditOverlay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkFileChooser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkFocus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkInputRouting.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkKeyMap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkLook.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkMenuBarHost.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkToolTips.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GtkWindowHost.cpp)
  target_link_libraries(qel PRIVATE PkgConfig::GTK3)
endif()
