#!/bin/sh
# Renders every shipped report template against the sample project, to PDF and to PNG pages, so
# that the reports can be looked at as a client would see them.
#
#   tests/reports/render-samples.sh BUILD_DIR OUT_DIR
#
# The sample project ("korvex demo") gets a group schedule, an item schedule and formula symbols
# first, so that every report has something to show.
set -eu
BUILD=$1
OUT=$2
KORVEX="$BUILD/korvex"
ROOT="$OUT/root"
export QT_QPA_PLATFORM=offscreen

rm -rf "$ROOT" && mkdir -p "$ROOT"
"$KORVEX" --root "$ROOT" demo >/dev/null
P=Ejemplo
sql() { "$KORVEX" --root "$ROOT" sql "$P" "$@" >/dev/null; }
field() { printf '%s\n' "$1" | cut -f "$2"; }

# Group schedule: group, period, weeks, percent, order.
while read -r group period weeks percent order; do
    sql "INSERT INTO DetalleGrupo (Grupo, PeriodoGru, SemanasGru, PorcentajeGru, OrdenGru) VALUES (?, ?, ?, ?, ?)" \
        "$(echo "$group" | tr _ ' ')" "$period" "$weeks" "$percent" "$order"
done <<EOF
PRELIMINARES 1 2 100 1
MOVIMIENTO_DE_TIERRAS 1 2 40 2
MOVIMIENTO_DE_TIERRAS 2 4 60 2
ESTRUCTURA 2 2 20 3
ESTRUCTURA 3 4 40 3
ESTRUCTURA 4 4 40 3
MAMPOSTERIA 4 2 30 4
MAMPOSTERIA 5 4 50 4
MAMPOSTERIA 6 2 20 4
INSTALACIONES 3 1 30 5
INSTALACIONES 5 2 40 5
INSTALACIONES 7 2 30 5
ACABADOS 7 4 60 6
ACABADOS 8 3 40 6
EOF
sql "UPDATE Proyecto SET Periodotipo = ?" "Mensual"

# Item schedule: the quantity of each item spread over the 30-day columns.
"$KORVEX" --root "$ROOT" sql "$P" "SELECT CodigoPres, ItemPres, CantidadPres FROM Presupuesto ORDER BY Indice" |
    tail -n +2 | awk -F '\t' '{ print NR "\t" $1 "\t" $2 "\t" $3 }' |
    while IFS= read -r line; do
        n=$(field "$line" 1)
        code=$(field "$line" 2)
        item=$(field "$line" 3)
        quantity=$(field "$line" 4)
        first=$(( (n - 1) / 3 ))
        a=$(awk -v q="$quantity" 'BEGIN { printf "%.2f", q * 0.6 }')
        b=$(awk -v q="$quantity" -v a="$a" 'BEGIN { printf "%.2f", q - a }')
        set -- "" "" "" "" "" ""
        i=0
        for column in 30 60 90 120 150 180; do
            if [ "$i" -eq "$first" ]; then value=$a; elif [ "$i" -eq $((first + 1)) ]; then value=$b; else value=0; fi
            eval "c$i=$value"
            i=$((i + 1))
        done
        sql "INSERT INTO CronoValores (CronoCodigo, CronoItem, Crono30C, Crono60C, Crono90C, Crono120C, Crono150C, Crono180C) VALUES (?, ?, ?, ?, ?, ?, ?, ?)" \
            "$code" "$item" "$c0" "$c1" "$c2" "$c3" "$c4" "$c5"
    done

# Formula symbols, from the shares the symbols window computes.
symbol_of() {
    case "$1" in
        Cemento*) echo C ;;
        Arena*|Ripio*|Material\ de\ mejoramiento*) echo A ;;
        Varilla*|Alambre*) echo H ;;
        Tabla*|Pingos*|Tiras*|Estacas*) echo M ;;
        Bloque*) echo D ;;
        Tuber*|Codo*|Cinta*) echo T ;;
        Equipo*|Repuestos*|Combustible*|Varios*|Mecanico*) echo E ;;
        Mano\ de\ Obra) echo B ;;
        ">>>"*) echo SKIP ;;
        *) echo X ;;
    esac
}
"$KORVEX" --root "$ROOT" formula "$P" --symbols |
    while IFS= read -r line; do
        description=$(field "$line" 2)
        unit=$(field "$line" 3)
        share=$(field "$line" 4)
        s=$(symbol_of "$description")
        [ "$s" = SKIP ] && continue
        sql "INSERT INTO SimbolosMat (Simbolo, DescripcionMat, UnidadMat, PorcentajeSimb) VALUES (?, ?, ?, ?)" \
            "$s" "$description" "$unit" "$share"
    done
describe() {
    case "$1" in
        A) echo "Áridos: arena, ripio y material de mejoramiento" ;;
        B) echo "Mano de obra" ;;
        C) echo "Cemento Portland" ;;
        D) echo "Bloques de hormigón" ;;
        E) echo "Equipo y maquinaria de construcción" ;;
        H) echo "Acero de refuerzo y alambre" ;;
        M) echo "Madera de encofrado" ;;
        T) echo "Tubería y accesorios de PVC" ;;
        *) echo "Otros materiales" ;;
    esac
}
"$KORVEX" --root "$ROOT" formula "$P" | grep -v '^Total' |
    while IFS= read -r line; do
        symbol=$(field "$line" 1)
        cost=$(field "$line" 3)
        coefficient=$(field "$line" 4)
        sql "INSERT INTO SimbolosDesc (Simbolo, DescripcionSim, TotalSimb, PorcentajeTot) VALUES (?, ?, ?, ?)" \
            "$symbol" "$(describe "$symbol")" "$cost" "$coefficient"
    done

rm -rf "$OUT/pdf" "$OUT/png" && mkdir -p "$OUT/pdf" "$OUT/png"
"$KORVEX" --root "$ROOT" report --list | cut -f1 | while read -r template; do
    name=${template%.rpt}
    "$KORVEX" --root "$ROOT" report "$P" "$template" -o "$OUT/pdf/$name.pdf"
    pdftoppm -r 60 -png "$OUT/pdf/$name.pdf" "$OUT/png/$name"
done
