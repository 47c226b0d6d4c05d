# What the patch says, in the four user languages the scenarios run in, and
# the box and patch log lines built from it. Languages: en (en_US.UTF-8),
# de (de_DE.UTF-8), zh (zh_CN.UTF-8), pt_br (pt_BR.UTF-8). 1121 and 1122
# exist in English and Simplified Chinese only; elsewhere they are empty.

declare -A TEXT=(
  [en:1120]="This oprating system does not match requirements."
  [en:1121]="Failed to update file %s"
  [en:1122]="%s will be terminated. Do you save your change?"
  [en:1130]="This patch does not apply to this version of Vaultrion - Password Manager."
  [en:1140]="Vaultrion - Password Manager"
  [en:1160]="The installation of the patch has completed. Please restart system to enable changes."
  [en:1170]="This patch has already been installed on this computer."
  [en:1180]="Vaultrion - Password Manager is not installed on this computer."
  [en:1200]="An unknown exception occurred, the patch installation failed."

  [de:1120]="Dieses Betriebssystem erfüllt die Anforderungen nicht."
  [de:1130]="Dieser Patch gilt nicht für diese Version von Vaultrion - Password Manager."
  [de:1140]="Vaultrion - Password Manager"
  [de:1160]="Die Installation des Patches ist abgeschlossen. Bitte starten Sie das System neu, damit die Änderungen wirksam werden."
  [de:1170]="Dieser Patch ist auf diesem Computer bereits installiert."
  [de:1180]="Vaultrion - Password Manager ist auf diesem Computer nicht installiert."
  [de:1200]="Ein unbekannter Ausnahmefehler ist aufgetreten. Die Installation des Patches ist fehlgeschlagen."

  [zh:1120]="此操作系统不符合要求。"
  [zh:1121]="文件%s更新失败。"
  [zh:1122]="程序%s将被终止，你保存了你的修改吗？"
  [zh:1130]="此补丁不适用于此版本的 Vaultrion - Password Manager。"
  [zh:1140]="Vaultrion - Password Manager"
  [zh:1160]="补丁安装已完成。请重新启动系统以使更改生效。"
  [zh:1170]="此计算机已安装此补丁。"
  [zh:1180]="此计算机未安装 Vaultrion - Password Manager。"
  [zh:1200]="发生未知异常，补丁安装失败。"

  [pt_br:1120]="Este sistema operacional não atende aos requisitos."
  [pt_br:1130]="Este patch não se aplica a esta versão do Vaultrion - Password Manager."
  [pt_br:1140]="Vaultrion-Password Manager"
  [pt_br:1160]="A instalação do patch foi concluída. Reinicie o sistema para que as alterações entrem em vigor."
  [pt_br:1170]="Este patch já foi instalado neste computador."
  [pt_br:1180]="O Vaultrion - Password Manager não está instalado neste computador."
  [pt_br:1200]="Ocorreu uma exceção desconhecida e a instalação do patch falhou."
)

declare -A LOCALE_OF=(
  [en]=en_US.UTF-8 [de]=de_DE.UTF-8 [zh]=zh_CN.UTF-8 [pt_br]=pt_BR.UTF-8
)

readonly OK=1 YES=6 NO=7

readonly RECORD_DESCRIPTION="Resolve the problem that Password Manager cause that text can not be highlighted by cursor in Office 2007."

# text LANG ID: the string, empty where the language lacks it.
text() {
  printf '%s' "${TEXT[$1:$2]-}"
}

# box LANG ID BUTTON: a box as the answerer records it.
box() {
  printf 'box: %s | %s | %s' "$(text "$1" 1140)" "$(text "$1" "$2")" "$3"
}

# entry LANG ID ANSWER: the patch log entry of a message and its answer,
# without the CR LF every entry ends with (expect_patch_log adds it).
entry() {
  printf '%s User select: %s' "$(text "$1" "$2")" "$3"
}

# line LANG ID PATH: a 1121 or 1122 patch log line naming PATH, without its
# CR LF; empty in a language that lacks the string.
line() {
  local template
  template=$(text "$1" "$2")
  [[ -n $template ]] || return 0
  printf '%s%s%s' "${template%%"%s"*}" "$3" "${template#*"%s"}"
}
