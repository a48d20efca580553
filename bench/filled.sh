# Sourced by the benchmark scripts: fill_document QVTOOL DOC writes a full application's short
# form (applicant, units, nine members, abstract) into DOC.
fill_document() {
  local qvtool=$1 doc=$2
  local values=(xmmc=基于深度学习的高校科研项目智能评审方法研究 xmlbdm=B xkdm=520.2040 selffin=是 yjxk=计算机科学技术
    xm1=张三丰 cddw1=Arvel理工大学 sqrq="2013年 3月" xmlb=面上项目 yjlb=基础研究 yjlbdm=A sqje=10 xldm=人工智能
    xk=人工智能 yjqsjm=1 yjzsjy=2015 yjzsjm=12 xb=男 csny=1975-06 sfzh1=11010519491231002X xw=博士 xl=2005年7月
    zyjszw1=教授 zyjszwdm1=011 jb=正高 jbdm=A cz=省杰出青年 lxdh=0791-8812345 email=zhangsf@arvel.edu.cn
    mz=省智能计算重点实验室 szxy=计算机学院 cddw2=Arvel师范大学 cddw3=Arvel农业大学 zrs=10 gj=4 zj=3 cj=1 bs=1 ss=1 cjdw=3
    xmjj=本项目研究高校科研项目评审中的智能方法。 ztc1=深度学习 ztc2=项目评审 ztc3=知识图谱)
  # The members' identity numbers, each its own and with its check character, as the rules want.
  local ids=(110105198001010016 110105198001010024 110105198001010032 110105198001010040 110105198001010059 110105198001010067 110105198001010075 110105198001010083 110105198001010091)
  local k
  for k in 2 3 4 5 6 7 8 9 10; do
    values+=(xm$k=成员$k sfzh$k=${ids[$((k - 2))]} zyjszw$k=中级 szdw$k=Arvel理工大学 xmzfg$k=实验与分析)
  done
  "$qvtool" set "$doc" "${values[@]}" >/dev/null
}
