#!/usr/bin/env bash
# The rooms' includes point down the house only. Lists what each room
# includes from the others, and fails on an include that points up:
#   app (entry)  ->  ui  ->  install  ->  net, services  ->  store  ->  base
# install/ has sub-rooms of its own, which point down among themselves too:
#   install/run  ->  install/uninstall, install/delivery  ->  install/trust
#   ->  install/worker
# The message loop and application module live in app/ beside the entry, yet
# the dialog registers itself on the loop, so they sit below ui. Two headers
# are included from lower rooms by design, and include nothing of ours:
# services/text.h (the text helpers) and install/worker/worker_thread.h (starting a
# thread). extract/ (Extract.dll) uses base/ only; operator/ (the checker)
# the portable rooms.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root" || exit 1
designed="services/text.h install/worker/worker_thread.h"
install="install/run install/uninstall install/delivery install/trust install/worker"
loop="app/app_module.h app/message_pump.h app/message_preview.h app/idle_task.h"

# The room of a source file, with the app entry and the loop told apart.
room_of() { # file
    case "$1" in
    app/app_module.* | app/message_pump.* | app/message_preview.h | app/idle_task.h) echo app-loop ;;
    install/*/*) echo "${1%/*}" ;;
    *) echo "${1%%/*}" ;;
    esac
}

# The rooms a room may include from, besides itself.
below() { # room
    case "$1" in
    app) echo "app-loop ui $install net services store base" ;;
    ui) echo "app-loop $install net services store base" ;;
    app-loop) echo "store base" ;;
    install/run) echo "install/uninstall install/delivery install/trust install/worker net services store base" ;;
    install/uninstall | install/delivery) echo "install/trust install/worker net services store base" ;;
    install/trust) echo "install/worker net services store base" ;;
    install/worker) echo "net services store base" ;;
    net | services) echo "store base" ;;
    store) echo "base" ;;
    base) echo "" ;;
    extract) echo "base" ;;
    operator) echo "$install services store base" ;;
    esac
}

failures=0
for room in app ui $install net services store base extract operator; do
    summary=$(grep -ho '#include "[a-z_]*/[^"]*"' $room/*.h $room/*.cpp 2>/dev/null |
        sed -E 's/#include "(install\/[a-z_]*|[a-z_]*)\/.*/\1/' | sort | uniq -c | awk '{printf "%s %s, ", $2, $1}')
    echo "$room includes: ${summary%, }"
done
while read -r file; do
    from=$(room_of "$file")
    allowed=" $from $(below "$from") "
    while read -r header; do
        [ -n "$header" ] || continue
        to=$(room_of "$header")
        [[ "$allowed" == *" $to "* ]] && continue
        [[ " $designed " == *" $header "* ]] && continue
        echo "FAILED $file includes $header: $from may not include $to"
        failures=$((failures + 1))
    done < <(grep -o '#include "[a-z_]*/[^"]*"' "$file" | sed -E 's/#include "(.*)"/\1/')
done < <(ls app/*.h app/*.cpp ui/*.h ui/*.cpp install/*/*.h install/*/*.cpp net/*.h net/*.cpp services/*.h \
    services/*.cpp store/*.h store/*.cpp base/*.h base/*.cpp extract/*.h extract/*.cpp operator/*.h operator/*.cpp \
    2>/dev/null)
# The designed headers stay free of includes of ours.
for header in $designed; do
    if grep -q '#include "' "$header"; then
        echo "FAILED $header includes a header of ours"
        failures=$((failures + 1))
    fi
done
[ $failures -eq 0 ] && echo "PASS include_rooms"
exit $((failures > 0))
