# The Carvenna look: style sheet, application icon, logos, start-menu tiles and icons.
list(APPEND UI_RESOURCE_FILES
    resources/carvenna.qss
    resources/carvenna.svg
    resources/logo.svg
    resources/logo_riga.svg
    resources/testata.svg
    resources/splash.svg
    resources/tile_anagrafica.svg
    resources/tile_ricevute.svg
    resources/tile_incassi.svg
    resources/apri.svg
    resources/info.svg
    resources/guida.svg
    resources/copyright.svg
    resources/sito.svg
    resources/esci.svg
    resources/email.svg
    resources/web.svg
    resources/pdf.svg
    resources/freccia_giu.svg)
