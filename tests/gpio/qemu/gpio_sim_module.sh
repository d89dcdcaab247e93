# Sourced after guest.sh. Debian's kernel has neither gpio-sim nor the interrupt simulator it
# needs (CONFIG_IRQ_SIM): build_gpio_sim builds both into one module, gpio-sim.ko, from Debian's
# kernel sources against the headers of exactly the guest's kernel, once, into the kernel's cache.
build_gpio_sim() {
    [ -f "$kernel/gpio-sim.ko" ] && return
    local release version series package installed
    release=$(cat "$kernel/release")
    version=$(cat "$kernel/version")
    series=$(echo "$release" | cut -d. -f1,2)
    for package in "linux-headers-$release" "linux-source-$series"; do
        installed=$(dpkg-query -W -f '${Version}' "$package" 2>/dev/null || true)
        if [ "$installed" != "$version" ]; then
            echo "FAIL: gpio-sim for the guest's kernel $release ($version) needs $package" \
                "$version (installed: ${installed:-none})" >&2
            exit 1
        fi
    done
    rm -rf gpio-sim && mkdir gpio-sim
    if ! tar -xJf "/usr/src/linux-source-$series.tar.xz" -C gpio-sim --strip-components=3 \
        "linux-source-$series/drivers/gpio/gpio-sim.c" "linux-source-$series/drivers/gpio/gpiolib.h" \
        "linux-source-$series/kernel/irq/irq_sim.c" 2>gpio-sim/tar.log; then
        echo "FAIL: gpio-sim's sources are not in /usr/src/linux-source-$series.tar.xz:" \
            "$(head -1 gpio-sim/tar.log)" >&2
        exit 1
    fi
    mv gpio-sim/gpio-sim.c gpio-sim/gpio-sim-main.c
    # irq_to_desc is not exported to modules; for the simulator's interrupts, whose handler is
    # handle_simple_irq, generic_handle_irq does the same.
    sed -i 's/handle_simple_irq(irq_to_desc(irqnum));/generic_handle_irq(irqnum);/' gpio-sim/irq_sim.c
    printf 'obj-m := gpio-sim.o\ngpio-sim-y := gpio-sim-main.o irq_sim.o\n' >gpio-sim/Kbuild
    if ! make -C "/usr/src/linux-headers-$release" M="$PWD/gpio-sim" -j2 modules \
        >gpio-sim/build.log 2>&1; then
        echo "FAIL: could not build gpio-sim for the guest's kernel $release:" \
            "$(grep -m1 -i error gpio-sim/build.log || tail -1 gpio-sim/build.log)" >&2
        exit 1
    fi
    cp gpio-sim/gpio-sim.ko "$kernel/"
}
