"""Elements and the program's closed-shell configurations."""

from __future__ import annotations

#: Element symbols by atomic number, 1 (H) to 118 (Og).
ELEMENTS: tuple[str, ...] = tuple("""
H He Li Be B C N O F Ne Na Mg Al Si P S Cl Ar K Ca Sc Ti V Cr Mn Fe Co Ni Cu Zn Ga Ge As Se
Br Kr Rb Sr Y Zr Nb Mo Tc Ru Rh Pd Ag Cd In Sn Sb Te I Xe Cs Ba La Ce Pr Nd Pm Sm Eu Gd Tb Dy
Ho Er Tm Yb Lu Hf Ta W Re Os Ir Pt Au Hg Tl Pb Bi Po At Rn Fr Ra Ac Th Pa U Np Pu Am Cm Bk Cf
Es Fm Md No Lr Rf Db Sg Bh Hs Mt Ds Rg Cn Nh Fl Mc Lv Ts Og
""".split())

#: The program's fixed shell order, as (n, l): 1s 2s 2p 3s 3p 3d 4s 4p 4d 5s 5p.
SHELL_ORDER: tuple[tuple[int, int], ...] = (
    (1, 0), (2, 0), (2, 1), (3, 0), (3, 1), (3, 2), (4, 0), (4, 1), (4, 2), (5, 0), (5, 1))

ANGULAR_LETTERS = "spdfghijkl"


def element(z: int) -> str | None:
    """The element symbol of atomic number z, or None when no element has it."""
    return ELEMENTS[z - 1] if 1 <= z <= len(ELEMENTS) else None


def atomic_number(symbol: str) -> int | None:
    """The atomic number of an element symbol (case as in the periodic table), or None."""
    try:
        return ELEMENTS.index(symbol) + 1
    except ValueError:
        return None


def shell_label(n: int, l: int) -> str:
    """The spectroscopic label of a shell, such as 2p."""
    return f"{n}{ANGULAR_LETTERS[l]}"


def occupancy(l: int) -> int:
    """The electrons of a full shell of angular momentum l: 4l + 2."""
    return 4 * l + 2


def electrons(shells: int) -> int:
    """The electrons of the first `shells` shells of the fixed order, all full."""
    return sum(occupancy(l) for _, l in SHELL_ORDER[:max(shells, 0)])


#: Closed-shell electron counts the program can set up, with their number of shells.
CLOSED_SHELLS: dict[int, int] = {electrons(k): k for k in range(1, len(SHELL_ORDER) + 1)}


def neutral_shells(symbol: str) -> int | None:
    """The number of shells of the neutral atom `symbol` when it is one of the closed-shell
    configurations of the fixed order (He, Be, Ne, Mg, Ar, Ni, Zn, Kr, Pd, Cd, Xe), else None."""
    z = atomic_number(symbol)
    return CLOSED_SHELLS.get(z) if z is not None else None
