# The installation's directories below C:\QUENBAR, each with the registry
# value that names it (pairs: value, folder; "." is the installation itself).
set(QUEN_LAYOUT
  PATH              .
  ARTPATH           ART
  GUILD1PATH        ART/GUILD1
  GUILD2PATH        ART/GUILD2
  GUILD3PATH        ART/GUILD3
  GUILD4PATH        ART/GUILD4
  GUILD5PATH        ART/GUILD5
  FRONTENDARTPATH   ART/FRONTEND
  ANIMATIONPATH     ART/ANIM
  3DPATH            3DDATA
  GUILD13DPATH      3DDATA/GUILD1
  GUILD23DPATH      3DDATA/GUILD2
  GUILD33DPATH      3DDATA/GUILD3
  GUILD43DPATH      3DDATA/GUILD4
  GUILD53DPATH      3DDATA/GUILD5
  CAMAIPATH         CAMAI
  SOUNDPATH         SOUND
  SAVEPATH          SAVE
  TEMPLATE_PATH     TEMPLATE
  SCENARIOPATH      SCENARIO
  TUTORIALPATH      TUTORIAL
  AVIPATH           MOVIES
  EMAILPATH         EMAIL
  HELPPATH          HELP)

# Folders the program builds paths into below those directories.
set(QUEN_LAYOUT_EXTRA
  3DDATA/asteroid/3dAst
  3DDATA/project
  SNIFFER)

set(QUEN_INSTALL_ROOT_DOS "C:\\QUENBAR")
set(QUEN_CD_ROOT_DOS "D:\\")
