# Start menu, information, splash and guide windows, the shell opener, the guide texts and the look.
list(APPEND UI_SOURCES
    ${CUR}/Avvio.h ${CUR}/Avvio.cpp ${CUR}/Avvio.ui
    ${CUR}/Info.h ${CUR}/Info.cpp ${CUR}/Info.ui
    ${CUR}/Splash.h ${CUR}/Splash.cpp ${CUR}/Splash.ui
    ${CUR}/Guida.h ${CUR}/Guida.cpp ${CUR}/Guida.ui
    ${CUR}/GuidePdf.h ${CUR}/GuidePdf.cpp
    ${CUR}/Link.h ${CUR}/Link.cpp
    ${CUR}/OpenURL.h ${CUR}/OpenURL.cpp
    ${CUR}/GuideText.cpp
    ${CUR}/Style.h ${CUR}/Style.cpp)
